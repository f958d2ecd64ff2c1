; MBR code starting the loader as NTLDR starts a boot-sector entry of boot.ini: the 64 sectors
; from sector 64 on, where the disk builder put the loader, go to 0000:7C00, entered with DL = 0x80.
bits 16
org 0x600

    xor ax, ax
    mov ss, ax              ; no interrupt before the next instruction
    mov sp, 0x7c00
    mov ds, ax
    mov es, ax
    cld
    mov si, 0x7c00          ; out of the loader's way
    mov di, 0x600
    mov cx, 256
    rep movsw
    jmp 0:relocated

relocated:
    mov si, packet
    mov ah, 0x42            ; extended read from DL, the drive the BIOS booted
    int 0x13
    jc $                    ; the boot test runs out of time
    mov dl, 0x80
    jmp 0:0x7c00

packet:
    db 0x10, 0
    dw 64, 0x7c00, 0        ; sectors, buffer
    dq 64                   ; first sector

    times 440 - ($ - $$) db 0
