; sse_avx64.asm - 64-bit Linux program: dot products with SSE, AVX, AVX2 and
; AVX-512, then exit with the rounded result as status.
; Build: nasm -f elf64 sse_avx64.asm -o sse_avx64.o && ld -o sse_avx64 sse_avx64.o
        bits 64
        default rel

        global _start

struc vec4
  .x:   resd 1
  .y:   resd 1
  .z:   resd 1
  .w:   resd 1
endstruc

section .data
        align 32
lhs:    dd 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0
rhs:    dd 0.5, 0.25, 1.5e-3, 4.0e+1, 1.0, 2.0, 3.0, 4.0
scale   dq 0x1.8p+1             ; 3.0 as a hexadecimal float
epsilon dq 1e-9
mask    dq 0FFFF_FFFF_0000_0000h
origin: istruc vec4
          at vec4.x, dd 0.0
          at vec4.y, dd 0.0
          at vec4.z, dd 0.0
          at vec4.w, dd 1.0
        iend

section .bss
        alignb 64
result: resd 16
tmp     resq 4

section .text
_start:
        ; SSE: four lanes at a time
        movaps xmm0, [lhs]
        mulps xmm0, [rhs]
        movhlps xmm1, xmm0
        addps xmm0, xmm1
        movaps xmm1, xmm0
        shufps xmm1, xmm1, 0x55
        addss xmm0, xmm1
        cvtss2sd xmm0, xmm0
        mulsd xmm0, [scale]
        cvtsi2sd xmm2, rax
        movdqa xmm3, [lhs]
        pxor xmm3, xmm3
        pshufd xmm4, xmm3, 0b00_01_10_11
        ptest xmm4, xmm4
        popcnt rcx, rdx
        crc32 eax, byte [rsi]

        ; AVX and AVX2
        vmovaps ymm0, [lhs]
        vmulps ymm0, ymm0, [rhs]
        vextractf128 xmm1, ymm0, 1
        vaddps xmm0, xmm0, xmm1
        vhaddps xmm0, xmm0, xmm0
        vhaddps xmm0, xmm0, xmm0
        vfmadd231ps ymm5, ymm6, ymm7
        vpbroadcastd ymm8, xmm9
        vpermq ymm10, ymm11, 0x4E
        vzeroupper

        ; AVX-512 with masks, zeroing and broadcast
        kxnorw k1, k1, k1
        vmovups zmm16{k1}{z}, [lhs]
        vmulps zmm17, zmm16, [rhs]{1to16}
        vaddps zmm18{k1}, zmm17, zmm16
        vpternlogd zmm19, zmm19, zmm19, 0xFF
        vcmpltps k2, zmm16, zmm17
        kmovw eax, k2
        vmovups [result], zmm18

        ; exit(status)
        cvttss2si edi, xmm0
        and edi, 0o377
        mov eax, 60
        syscall
        lfence
        pause
        rdtscp
        endbr64
        cqo
