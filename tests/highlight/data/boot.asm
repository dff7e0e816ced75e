; boot.asm - a boot sector that prints a greeting and halts.
; Build: nasm -f bin boot.asm -o boot.bin
        bits 16
        org 0x7C00

start:
        cli
        xor ax, ax              ; segments at zero
        mov ds, ax
        mov es, ax
        mov ss, ax
        mov sp, 7C00h
        sti
        cld

        mov si, greeting
        call print
        mov ax, `\r\n`
        jmp .halt

.halt:  hlt
        jmp short .halt

; print: writes the NUL-terminated string at ds:si through the BIOS
print:
        push ax
        push bx
        mov ah, 0Eh             ; teletype output
        xor bx, bx
.next:  lodsb
        test al, al
        jz .done
        int 10h
        jmp .next
.done:  pop bx
        pop ax
        ret

loop:   dec cx                  ; a label that spells an instruction
        jnz loop
        ret

greeting db "Torvane boot sector", 13, 10, 0
crlf:   db `\r\n`, 0
drive   db 0
sectors dw 18
magic   equ 0AA55h

        times 510-($-$$) db 0
        dw magic
