; macros.asm - preprocessor use: macros, conditionals, repeats, contexts.
; Build: nasm -f elf64 macros.asm -o macros.o
%define VERSION 3
%define STR(x) `x`
%assign COUNT 0
%idefine Word_Size 8

%ifndef VERSION
  %error "VERSION must be defined"
%elif VERSION > 2
  %define NEW_ABI 1
%else
  %define NEW_ABI 0
%endif

;{ saving and restoring registers
%macro multipush 1-*
  %rep %0
        push %1
    %rotate 1
  %endrep
%endmacro

%macro multipop 1-*
  %rep %0
    %rotate -1
        pop %1
  %endrep
%endmacro
;}

%imacro clamp 3                 ; clamp reg, low, high
        cmp %1, %2
        jge %%not_low
        mov %1, %2
%%not_low:
        cmp %1, %3
        jle %%done
        mov %1, %3
%%done:
%endmacro

%macro jcond 2
        j%+1 %2
        j%-1 %%skip
%%skip:
%endmacro

%macro counted 0
  %push counted
  %assign %$n COUNT
  %assign COUNT COUNT+1
%$here: dq %$n
  %pop
%endmacro

%define cat(a, b) a %+ b

section .data
table:
%assign i 0
%rep 4
        dd i * 0x10, i % 3, i // 2, -i %% 3
  %assign i i+1
%endrep
numbers dq 0o17, 17q, 0t10, 10t, 0y1010, 1010b, 0d99, 99d, $0FF, 0FFh, 1_000_000
floats  dq 1.5e-3, 0x1.8p+1, 3.0E+2
name    db STR(torvane), 0
quote   db 'it', "'s ", "say 'hi'", `tab\there \`ok\``, 0
size    equ Word_Size * 2
..@start_marker:

section .text
        global entry
entry:
        multipush rbx, r12, r13
        clamp rax, 0, 255
        jcond z, .zero
%if NEW_ABI
        xor eax, eax
%elifdef COUNT
        mov eax, 1
%endif
%ifidni __?OUTPUT_FORMAT?__, elf64
        mov cat(r, ax), size
%endif
.zero:
        multipop rbx, r12, r13
        counted
        counted
        ret
