; Master boot record code that starts the loader file the way NTLDR starts a boot-sector entry of
; boot.ini: the loader, whose sectors the image builder put at LOADER_LBA, is read whole to
; 0000:7C00 and entered with DL = 0x80. No NTLDR exists on the test machines.
; Assemble with: nasm -f bin -DLOADER_LBA=n -DLOADER_SECTORS=n (at most 127 sectors, 63.5 KiB).
bits 16
org 0x600

start:
    cli
    xor ax, ax
    mov ss, ax
    mov sp, 0x7c00
    mov ds, ax
    mov es, ax
    sti
    cld
    ; Move out of the way of the loader.
    mov si, 0x7c00
    mov di, 0x600
    mov cx, 256
    rep movsw
    jmp 0:relocated

relocated:
    mov si, packet
    mov ah, 0x42            ; extended read, DL = the drive the BIOS booted
    int 0x13
    jc failed
    mov dl, 0x80
    jmp 0:0x7c00

failed:
    mov si, message
.next:
    lodsb
    test al, al
    jz .halt
    mov ah, 0x0e
    mov bx, 7
    int 0x10
    jmp .next
.halt:
    hlt
    jmp .halt

packet:
    db 0x10, 0
    dw LOADER_SECTORS
    dw 0x7c00, 0
    dq LOADER_LBA

message db "stand-in MBR: reading the loader failed", 0

    times 440 - ($ - $$) db 0
