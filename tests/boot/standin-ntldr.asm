; Stand-in for NTLDR on the test disks' system partition, entered in real mode at 2000:0000 by
; GRUB's ntldr command: it reports on the first serial port that it was reached and powers off.
bits 16
org 0

    push cs
    pop ds
    cld
    mov si, marker
    mov cx, marker_end - marker
    mov dx, 0x3f8           ; COM1: QEMU's UART takes every byte at once
    rep outsb
    mov ax, 0x2000          ; ACPI S5 through PM1a_CNT, where SeaBIOS puts it on QEMU's i440fx
    mov dx, 0x604
    out dx, ax
    jmp $

; A line of its own: the loader's menu may have left the cursor mid-line.
marker db 13, 10, "KH-NTLDR", 13, 10
marker_end:
