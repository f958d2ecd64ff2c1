; Stand-in for NTLDR on the test disks' system partition. GRUB's ntldr command loads this file to
; 2000:0000 and enters it there in real mode; all it does is report that it was reached on the
; first serial port and power the machine off, so a boot test knows the way back to Windows works.
; Assemble with: nasm -f bin -o ntldr standin-ntldr.asm
bits 16
org 0

COM1 equ 0x3f8
LINE_STATUS equ COM1 + 5
TRANSMIT_EMPTY equ 0x20

start:
    push cs
    pop ds
    mov si, marker
.next:
    lodsb
    test al, al
    jz power_off
    mov ah, al
    ; The loader has set the port up already (its menu goes there too); only wait for room.
    mov dx, LINE_STATUS
.wait:
    in al, dx
    test al, TRANSMIT_EMPTY
    jz .wait
    mov dx, COM1
    mov al, ah
    out dx, al
    jmp .next

power_off:
    ; ACPI sleep state S5 through PM1a_CNT: port 0x604 on QEMU's i440fx machine as SeaBIOS sets
    ; it up, 0xB004 on older QEMU versions.
    mov ax, 0x2000
    mov dx, 0x604
    out dx, ax
    mov dx, 0xb004
    out dx, ax
.halt:
    cli
    hlt
    jmp .halt

; A line of its own: the loader's menu may have left the cursor mid-line.
marker db 13, 10, "KH-NTLDR", 13, 10, 0
