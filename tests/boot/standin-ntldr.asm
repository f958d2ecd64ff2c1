; Stand-in for NTLDR on the test disks' system partition. GRUB's ntldr command loads it to
; 2000:0000 and enters it in real mode; it reports on the first serial port, which the loader has
; set up, that it was reached and powers the machine off.
bits 16
org 0

    push cs
    pop ds
    mov si, marker
.next:
    lodsb
    test al, al
    jz .power_off
    mov ah, al
    mov dx, 0x3fd           ; COM1's line status
.wait:
    in al, dx
    test al, 0x20           ; room to transmit
    jz .wait
    mov dx, 0x3f8
    mov al, ah
    out dx, al
    jmp .next

.power_off:                 ; ACPI S5 through PM1a_CNT, where SeaBIOS puts it on QEMU's i440fx
    mov ax, 0x2000
    mov dx, 0x604
    out dx, ax
    jmp $

; A line of its own: the loader's menu may have left the cursor mid-line.
marker db 13, 10, "KH-NTLDR", 13, 10, 0
