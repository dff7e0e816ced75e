; A boot sector built from included files: BIOS macros, a print routine,
; data in a nested include, a picture taken in with incbin, and the
; signature after padding.
        bits 16
        org 0x7C00
%include "bios.inc"

start:  cli
        xor ax, ax
        mov ds, ax
        mov es, ax
        mov ss, ax
        mov sp, 0x7C00
        sti
        PRINT msg
        PUTC '!'
        NEWLINE
.halt:  hlt
        jmp short .halt

%include "data.inc"
logo:   incbin "logo.bin"
        times 510-($-$$) db 0
        dw 0xAA55
