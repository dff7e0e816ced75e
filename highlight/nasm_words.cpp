// The word lists of the NASM highlighter, written for NASM 2.16 and checked
// against the installed assembler by the tests.
#include "highlight/nasm_words.h"

#include <array>

#include "highlight/keyword_hash.h"

namespace torvane {

const char* const kNasmInstructions =
    // general purpose, system and extensions (prefixes too)
    "a16,a32,a64,aaa,aad,aadd,aam,aand,aas,adc,adcx,add,adox,and,andn,arpl,axor,bb0_reset,"
    "bb1_reset,bextr,blcfill,blci,blcic,blcmsk,blcs,blsfill,blsi,blsic,blsmsk,blsr,bnd,bndcl,"
    "bndcn,bndcu,bndldx,bndmk,bndmov,bndstx,bound,bsf,bsr,bswap,bt,btc,btr,bts,bzhi,call,cbw,cdq,"
    "cdqe,clac,clc,cld,cldemote,clflush,clflushopt,clgi,cli,clrssbsy,clts,clui,clwb,clzero,cmc,"
    "cmova,cmovae,cmovb,cmovbe,cmovc,cmove,cmovg,cmovge,cmovl,cmovle,cmovna,cmovnae,cmovnb,"
    "cmovnbe,cmovnc,cmovne,cmovng,cmovnge,cmovnl,cmovnle,cmovno,cmovnp,cmovns,cmovnz,cmovo,cmovp,"
    "cmovpe,cmovpo,cmovs,cmovz,cmp,cmpaexadd,cmpaxadd,cmpbexadd,cmpbxadd,cmpcxadd,cmpexadd,"
    "cmpgexadd,cmpgxadd,cmplexadd,cmplxadd,cmpnaexadd,cmpnaxadd,cmpnbexadd,cmpnbxadd,cmpncxadd,"
    "cmpnexadd,cmpngexadd,cmpngxadd,cmpnlexadd,cmpnlxadd,cmpnoxadd,cmpnpxadd,cmpnsxadd,cmpnzxadd,"
    "cmpoxadd,cmppexadd,cmppoxadd,cmppxadd,cmpsb,cmpsd,cmpsq,cmpsw,cmpsxadd,cmpxchg,cmpxchg8b,"
    "cmpxchg16b,cmpxchg486,cmpzxadd,cpu_read,cpu_write,cpuid,cqo,crc32,cwd,cwde,daa,das,dec,div,"
    "dmint,emms,encls,enclu,enclv,endbr32,endbr64,enqcmd,enqcmds,enter,fwait,fxrstor,fxrstor64,"
    "fxsave,fxsave64,getsec,hint_nop0,hint_nop1,hint_nop2,hint_nop3,hint_nop4,hint_nop5,"
    "hint_nop6,hint_nop7,hint_nop8,hint_nop9,hint_nop10,hint_nop11,hint_nop12,hint_nop13,"
    "hint_nop14,hint_nop15,hint_nop16,hint_nop17,hint_nop18,hint_nop19,hint_nop20,hint_nop21,"
    "hint_nop22,hint_nop23,hint_nop24,hint_nop25,hint_nop26,hint_nop27,hint_nop28,hint_nop29,"
    "hint_nop30,hint_nop31,hint_nop32,hint_nop33,hint_nop34,hint_nop35,hint_nop36,hint_nop37,"
    "hint_nop38,hint_nop39,hint_nop40,hint_nop41,hint_nop42,hint_nop43,hint_nop44,hint_nop45,"
    "hint_nop46,hint_nop47,hint_nop48,hint_nop49,hint_nop50,hint_nop51,hint_nop52,hint_nop53,"
    "hint_nop54,hint_nop55,hint_nop56,hint_nop57,hint_nop58,hint_nop59,hint_nop60,hint_nop61,"
    "hint_nop62,hint_nop63,hlt,hreset,ibts,icebp,idiv,imul,in,inc,incsspd,incsspq,insb,insd,insw,"
    "int,int01,int1,int03,int3,into,invd,invept,invlpg,invlpga,invpcid,invvpid,iret,iretd,iretq,"
    "iretw,ja,jae,jb,jbe,jc,jcxz,je,jecxz,jg,jge,jl,jle,jmp,jmpe,jna,jnae,jnb,jnbe,jnc,jne,jng,"
    "jnge,jnl,jnle,jno,jnp,jns,jnz,jo,jp,jpe,jpo,jrcxz,js,jz,lahf,lar,lds,ldtilecfg,lea,leave,"
    "les,lfence,lfs,lgdt,lgs,lidt,lldt,llwpcb,lmsw,loadall,loadall286,lock,lodsb,lodsd,lodsq,"
    "lodsw,loop,loope,loopne,loopnz,loopz,lsl,lss,ltr,lwpins,lwpval,lzcnt,mfence,monitor,"
    "monitorx,montmul,mov,movbe,movdir64b,movdiri,movsb,movsd,movsq,movsw,movsx,movsxd,movzx,mul,"
    "mulx,mwait,mwaitx,neg,nobnd,nop,not,o16,o32,o64,or,out,outsb,outsd,outsw,pause,pcommit,"
    "pconfig,pdep,pext,pop,popa,popad,popaw,popcnt,popf,popfd,popfq,popfw,prefetch,prefetchit0,"
    "prefetchit1,prefetchnta,prefetcht0,prefetcht1,prefetcht2,prefetchw,prefetchwt1,ptwrite,push,"
    "pusha,pushad,pushaw,pushf,pushfd,pushfq,pushfw,pvalidate,rcl,rcr,rdfsbase,rdgsbase,rdm,"
    "rdmsr,rdmsrlist,rdpid,rdpkru,rdpmc,rdrand,rdseed,rdshr,rdsspd,rdsspq,rdtsc,rdtscp,rep,repe,"
    "repne,repnz,repz,ret,retd,retf,retfd,retfq,retfw,retn,retnd,retnq,retnw,retq,retw,rmpadjust,"
    "rol,ror,rorx,rsdc,rsldt,rsm,rstorssp,rsts,sahf,sal,salc,sar,sarx,saveprevssp,sbb,scasb,"
    "scasd,scasq,scasw,senduipi,serialize,seta,setae,setb,setbe,setc,sete,setg,setge,setl,setle,"
    "setna,setnae,setnb,setnbe,setnc,setne,setng,setnge,setnl,setnle,setno,setnp,setns,setnz,"
    "seto,setp,setpe,setpo,sets,setssbsy,setz,sfence,sgdt,shl,shld,shlx,shr,shrd,shrx,sidt,"
    "skinit,sldt,slwpcb,smi,smint,smintold,smsw,stac,stc,std,stgi,sti,stosb,stosd,stosq,stosw,"
    "str,sttilecfg,stui,sub,svdc,svldt,svts,swapgs,syscall,sysenter,sysexit,sysret,t1mskc,"
    "tdpbf16ps,tdpbssd,tdpbsud,tdpbusd,tdpbuud,test,testui,tileloadd,tileloaddt1,tilerelease,"
    "tilestored,tilezero,tpause,tzcnt,tzmsk,ud0,ud1,ud2,ud2a,ud2b,uiret,umonitor,umov,umwait,"
    "verr,verw,vmcall,vmclear,vmfunc,vmgexit,vmlaunch,vmload,vmmcall,vmptrld,vmptrst,vmread,"
    "vmresume,vmrun,vmsave,vmwrite,vmxoff,vmxon,wait,wbinvd,wbnoinvd,wrfsbase,wrgsbase,wrmsr,"
    "wrmsrlist,wrmsrns,wrpkru,wrshr,wrssd,wrssq,wrussd,wrussq,xabort,xacquire,xadd,xbegin,xbts,"
    "xchg,xcryptcbc,xcryptcfb,xcryptctr,xcryptecb,xcryptofb,xend,xgetbv,xlat,xlatb,xor,xrelease,"
    "xresldtrk,xrstor,xrstor64,xrstors,xrstors64,xsave,xsave64,xsavec,xsavec64,xsaveopt,"
    "xsaveopt64,xsaves,xsaves64,xsetbv,xsha1,xsha256,xstore,xsusldtrk,xtest,"
    // x87
    "f2xm1,fabs,fadd,faddp,fbld,fbstp,fchs,fclex,fcmovb,fcmovbe,fcmove,fcmovnb,fcmovnbe,fcmovne,"
    "fcmovnu,fcmovu,fcom,fcomi,fcomip,fcomp,fcompp,fcos,fdecstp,fdisi,fdiv,fdivp,fdivr,fdivrp,"
    "feni,ffree,ffreep,fiadd,ficom,ficomp,fidiv,fidivr,fild,fimul,fincstp,finit,fist,fistp,"
    "fisttp,fisub,fisubr,fld,fld1,fldcw,fldenv,fldl2e,fldl2t,fldlg2,fldln2,fldpi,fldz,fmul,fmulp,"
    "fnclex,fndisi,fneni,fninit,fnop,fnsave,fnstcw,fnstenv,fnstsw,fpatan,fprem,fprem1,fptan,"
    "frndint,frstor,fsave,fscale,fsetpm,fsin,fsincos,fsqrt,fst,fstcw,fstenv,fstp,fstsw,fsub,"
    "fsubp,fsubr,fsubrp,ftst,fucom,fucomi,fucomip,fucomp,fucompp,fxam,fxch,fxtract,fyl2x,fyl2xp1,"
    // MMX, 3DNow! and Cyrix MMX
    "femms,movd,movq,packssdw,packsswb,packuswb,paddb,paddd,paddsb,paddsiw,paddsw,paddusb,"
    "paddusw,paddw,pand,pandn,paveb,pavgusb,pcmpeqb,pcmpeqd,pcmpeqw,pcmpgtb,pcmpgtd,pcmpgtw,"
    "pdistib,pf2id,pf2iw,pfacc,pfadd,pfcmpeq,pfcmpge,pfcmpgt,pfmax,pfmin,pfmul,pfnacc,pfpnacc,"
    "pfrcp,pfrcpit1,pfrcpit2,pfrcpv,pfrsqit1,pfrsqrt,pfrsqrtv,pfsub,pfsubr,pi2fd,pi2fw,pmachriw,"
    "pmaddwd,pmagw,pmulhriw,pmulhrwa,pmulhrwc,pmulhw,pmullw,pmvgezb,pmvlzb,pmvnzb,pmvzb,por,"
    "pslld,psllq,psllw,psrad,psraw,psrld,psrlq,psrlw,psubb,psubd,psubsb,psubsiw,psubsw,psubusb,"
    "psubusw,psubw,pswapd,punpckhbw,punpckhdq,punpckhwd,punpcklbw,punpckldq,punpcklwd,pxor,"
    // SSE
    "addps,addss,andnps,andps,cmpeqps,cmpeqss,cmpleps,cmpless,cmpltps,cmpltss,cmpneqps,cmpneqss,"
    "cmpnleps,cmpnless,cmpnltps,cmpnltss,cmpordps,cmpordss,cmpps,cmpss,cmpunordps,cmpunordss,"
    "comiss,cvtpi2ps,cvtps2pi,cvtsi2ss,cvtss2si,cvttps2pi,cvttss2si,divps,divss,ldmxcsr,maskmovq,"
    "maxps,maxss,minps,minss,movaps,movhlps,movhps,movlhps,movlps,movmskps,movntps,movntq,movss,"
    "movups,mulps,mulss,orps,pavgb,pavgw,pextrw,pinsrw,pmaxsw,pmaxub,pminsw,pminub,pmovmskb,"
    "pmulhuw,psadbw,pshufw,rcpps,rcpss,rsqrtps,rsqrtss,shufps,sqrtps,sqrtss,stmxcsr,subps,subss,"
    "ucomiss,unpckhps,unpcklps,xorps,"
    // SSE2
    "addpd,addsd,andnpd,andpd,cmpeqpd,cmpeqsd,cmplepd,cmplesd,cmpltpd,cmpltsd,cmpneqpd,cmpneqsd,"
    "cmpnlepd,cmpnlesd,cmpnltpd,cmpnltsd,cmpordpd,cmpordsd,cmppd,cmpunordpd,cmpunordsd,comisd,"
    "cvtdq2pd,cvtdq2ps,cvtpd2dq,cvtpd2pi,cvtpd2ps,cvtpi2pd,cvtps2dq,cvtps2pd,cvtsd2si,cvtsd2ss,"
    "cvtsi2sd,cvtss2sd,cvttpd2dq,cvttpd2pi,cvttps2dq,cvttsd2si,divpd,divsd,maskmovdqu,maxpd,"
    "maxsd,minpd,minsd,movapd,movdq2q,movdqa,movdqu,movhpd,movlpd,movmskpd,movntdq,movnti,"
    "movntpd,movq2dq,movupd,mulpd,mulsd,orpd,paddq,pmuludq,pshufd,pshufhw,pshuflw,pslldq,psrldq,"
    "psubq,punpckhqdq,punpcklqdq,shufpd,sqrtpd,sqrtsd,subpd,subsd,ucomisd,unpckhpd,unpcklpd,"
    "xorpd,"
    // SSE3
    "addsubpd,addsubps,haddpd,haddps,hsubpd,hsubps,lddqu,movddup,movshdup,movsldup,"
    // SSSE3
    "pabsb,pabsd,pabsw,palignr,phaddd,phaddsw,phaddw,phsubd,phsubsw,phsubw,pmaddubsw,pmulhrsw,"
    "pshufb,psignb,psignd,psignw,"
    // SSE4.1, SSE4.2 and SSE4a
    "blendpd,blendps,blendvpd,blendvps,dppd,dpps,extractps,extrq,insertps,insertq,movntdqa,"
    "movntsd,movntss,mpsadbw,packusdw,pblendvb,pblendw,pcmpeqq,pcmpestri,pcmpestrm,pcmpgtq,"
    "pcmpistri,pcmpistrm,pextrb,pextrd,pextrq,phminposuw,pinsrb,pinsrd,pinsrq,pmaxsb,pmaxsd,"
    "pmaxud,pmaxuw,pminsb,pminsd,pminud,pminuw,pmovsxbd,pmovsxbq,pmovsxbw,pmovsxdq,pmovsxwd,"
    "pmovsxwq,pmovzxbd,pmovzxbq,pmovzxbw,pmovzxdq,pmovzxwd,pmovzxwq,pmuldq,pmulld,ptest,roundpd,"
    "roundps,roundsd,roundss,"
    // AES, PCLMULQDQ, SHA and GFNI
    "aesdec,aesdeclast,aesenc,aesenclast,aesimc,aeskeygenassist,gf2p8affineinvqb,gf2p8affineqb,"
    "gf2p8mulb,pclmulhqhqdq,pclmulhqlqdq,pclmullqhqdq,pclmullqlqdq,pclmulqdq,sha1msg1,sha1msg2,"
    "sha1nexte,sha1rnds4,sha256msg1,sha256msg2,sha256rnds2,"
    // AVX
    "vaddpd,vaddps,vaddsd,vaddss,vaddsubpd,vaddsubps,vaesdec,vaesdeclast,vaesenc,vaesenclast,"
    "vaesimc,vaeskeygenassist,vandnpd,vandnps,vandpd,vandps,vblendpd,vblendps,vblendvpd,"
    "vblendvps,vbroadcastf128,vbroadcastsd,vbroadcastss,vcmpeq_oqpd,vcmpeq_oqps,vcmpeq_oqsd,"
    "vcmpeq_oqss,vcmpeq_ospd,vcmpeq_osps,vcmpeq_ossd,vcmpeq_osss,vcmpeq_uqpd,vcmpeq_uqps,"
    "vcmpeq_uqsd,vcmpeq_uqss,vcmpeq_uspd,vcmpeq_usps,vcmpeq_ussd,vcmpeq_usss,vcmpeqpd,vcmpeqps,"
    "vcmpeqsd,vcmpeqss,vcmpfalse_ospd,vcmpfalse_osps,vcmpfalse_ossd,vcmpfalse_osss,vcmpfalsepd,"
    "vcmpfalseps,vcmpfalsesd,vcmpfalsess,vcmpge_oqpd,vcmpge_oqps,vcmpge_oqsd,vcmpge_oqss,"
    "vcmpgepd,vcmpgeps,vcmpgesd,vcmpgess,vcmpgt_oqpd,vcmpgt_oqps,vcmpgt_oqsd,vcmpgt_oqss,"
    "vcmpgtpd,vcmpgtps,vcmpgtsd,vcmpgtss,vcmple_oqpd,vcmple_oqps,vcmple_oqsd,vcmple_oqss,"
    "vcmple_ospd,vcmple_osps,vcmple_ossd,vcmple_osss,vcmplepd,vcmpleps,vcmplesd,vcmpless,"
    "vcmplt_oqpd,vcmplt_oqps,vcmplt_oqsd,vcmplt_oqss,vcmplt_ospd,vcmplt_osps,vcmplt_ossd,"
    "vcmplt_osss,vcmpltpd,vcmpltps,vcmpltsd,vcmpltss,vcmpneq_oqpd,vcmpneq_oqps,vcmpneq_oqsd,"
    "vcmpneq_oqss,vcmpneq_ospd,vcmpneq_osps,vcmpneq_ossd,vcmpneq_osss,vcmpneq_uqpd,vcmpneq_uqps,"
    "vcmpneq_uqsd,vcmpneq_uqss,vcmpneq_uspd,vcmpneq_usps,vcmpneq_ussd,vcmpneq_usss,vcmpneqpd,"
    "vcmpneqps,vcmpneqsd,vcmpneqss,vcmpnge_uqpd,vcmpnge_uqps,vcmpnge_uqsd,vcmpnge_uqss,vcmpngepd,"
    "vcmpngeps,vcmpngesd,vcmpngess,vcmpngt_uqpd,vcmpngt_uqps,vcmpngt_uqsd,vcmpngt_uqss,vcmpngtpd,"
    "vcmpngtps,vcmpngtsd,vcmpngtss,vcmpnle_uqpd,vcmpnle_uqps,vcmpnle_uqsd,vcmpnle_uqss,"
    "vcmpnle_uspd,vcmpnle_usps,vcmpnle_ussd,vcmpnle_usss,vcmpnlepd,vcmpnleps,vcmpnlesd,vcmpnless,"
    "vcmpnlt_uqpd,vcmpnlt_uqps,vcmpnlt_uqsd,vcmpnlt_uqss,vcmpnlt_uspd,vcmpnlt_usps,vcmpnlt_ussd,"
    "vcmpnlt_usss,vcmpnltpd,vcmpnltps,vcmpnltsd,vcmpnltss,vcmpord_qpd,vcmpord_qps,vcmpord_qsd,"
    "vcmpord_qss,vcmpord_spd,vcmpord_sps,vcmpord_ssd,vcmpord_sss,vcmpordpd,vcmpordps,vcmpordsd,"
    "vcmpordss,vcmppd,vcmpps,vcmpsd,vcmpss,vcmptrue_uspd,vcmptrue_usps,vcmptrue_ussd,"
    "vcmptrue_usss,vcmptruepd,vcmptrueps,vcmptruesd,vcmptruess,vcmpunord_qpd,vcmpunord_qps,"
    "vcmpunord_qsd,vcmpunord_qss,vcmpunord_spd,vcmpunord_sps,vcmpunord_ssd,vcmpunord_sss,"
    "vcmpunordpd,vcmpunordps,vcmpunordsd,vcmpunordss,vcomisd,vcomiss,vcvtdq2pd,vcvtdq2ps,"
    "vcvtpd2dq,vcvtpd2ps,vcvtph2ps,vcvtps2dq,vcvtps2pd,vcvtps2ph,vcvtsd2si,vcvtsd2ss,vcvtsi2sd,"
    "vcvtsi2ss,vcvtss2sd,vcvtss2si,vcvttpd2dq,vcvttps2dq,vcvttsd2si,vcvttss2si,vdivpd,vdivps,"
    "vdivsd,vdivss,vdppd,vdpps,vextractf128,vextractps,vgf2p8affineinvqb,vgf2p8affineqb,"
    "vgf2p8mulb,vhaddpd,vhaddps,vhsubpd,vhsubps,vinsertf128,vinsertps,vlddqu,vldmxcsr,vldqqu,"
    "vmaskmovdqu,vmaskmovpd,vmaskmovps,vmaxpd,vmaxps,vmaxsd,vmaxss,vminpd,vminps,vminsd,vminss,"
    "vmovapd,vmovaps,vmovd,vmovddup,vmovdqa,vmovdqu,vmovhlps,vmovhpd,vmovhps,vmovlhps,vmovlpd,"
    "vmovlps,vmovmskpd,vmovmskps,vmovntdq,vmovntdqa,vmovntpd,vmovntps,vmovq,vmovsd,vmovshdup,"
    "vmovsldup,vmovss,vmovupd,vmovups,vmpsadbw,vmulpd,vmulps,vmulsd,vmulss,vorpd,vorps,vpabsb,"
    "vpabsd,vpabsw,vpackssdw,vpacksswb,vpackusdw,vpackuswb,vpaddb,vpaddd,vpaddq,vpaddsb,vpaddsw,"
    "vpaddusb,vpaddusw,vpaddw,vpalignr,vpand,vpandn,vpavgb,vpavgw,vpblendvb,vpblendw,"
    "vpclmulhqhqdq,vpclmulhqlqdq,vpclmullqhqdq,vpclmullqlqdq,vpclmulqdq,vpcmpeqb,vpcmpeqd,"
    "vpcmpeqq,vpcmpeqw,vpcmpestri,vpcmpestrm,vpcmpgtb,vpcmpgtd,vpcmpgtq,vpcmpgtw,vpcmpistri,"
    "vpcmpistrm,vperm2f128,vpermilpd,vpermilps,vpextrb,vpextrd,vpextrq,vpextrw,vphaddd,vphaddsw,"
    "vphaddw,vphminposuw,vphsubd,vphsubsw,vphsubw,vpinsrb,vpinsrd,vpinsrq,vpinsrw,vpmaddubsw,"
    "vpmaddwd,vpmaxsb,vpmaxsd,vpmaxsw,vpmaxub,vpmaxud,vpmaxuw,vpminsb,vpminsd,vpminsw,vpminub,"
    "vpminud,vpminuw,vpmovmskb,vpmovsxbd,vpmovsxbq,vpmovsxbw,vpmovsxdq,vpmovsxwd,vpmovsxwq,"
    "vpmovzxbd,vpmovzxbq,vpmovzxbw,vpmovzxdq,vpmovzxwd,vpmovzxwq,vpmuldq,vpmulhrsw,vpmulhuw,"
    "vpmulhw,vpmulld,vpmullw,vpmuludq,vpor,vpsadbw,vpshufb,vpshufd,vpshufhw,vpshuflw,vpsignb,"
    "vpsignd,vpsignw,vpslld,vpslldq,vpsllq,vpsllw,vpsrad,vpsraw,vpsrld,vpsrldq,vpsrlq,vpsrlw,"
    "vpsubb,vpsubd,vpsubq,vpsubsb,vpsubsw,vpsubusb,vpsubusw,vpsubw,vptest,vpunpckhbw,vpunpckhdq,"
    "vpunpckhqdq,vpunpckhwd,vpunpcklbw,vpunpckldq,vpunpcklqdq,vpunpcklwd,vpxor,vrcpps,vrcpss,"
    "vroundpd,vroundps,vroundsd,vroundss,vrsqrtps,vrsqrtss,vshufpd,vshufps,vsqrtpd,vsqrtps,"
    "vsqrtsd,vsqrtss,vstmxcsr,vsubpd,vsubps,vsubsd,vsubss,vtestpd,vtestps,vucomisd,vucomiss,"
    "vunpckhpd,vunpckhps,vunpcklpd,vunpcklps,vxorpd,vxorps,vzeroall,vzeroupper,"
    // AVX2 and AVX-VNNI
    "vbroadcasti128,vextracti128,vgatherdpd,vgatherdps,vgatherqpd,vgatherqps,vinserti128,"
    "vpblendd,vpbroadcastb,vpbroadcastd,vpbroadcastq,vpbroadcastw,vpdpbusd,vpdpbusds,vpdpwssd,"
    "vpdpwssds,vperm2i128,vpermd,vpermpd,vpermps,vpermq,vpgatherdd,vpgatherdq,vpgatherqd,"
    "vpgatherqq,vpmaskmovd,vpmaskmovq,vpsllvd,vpsllvq,vpsravd,vpsrlvd,vpsrlvq,"
    // FMA3 and FMA4
    "vfmadd132pd,vfmadd132ps,vfmadd132sd,vfmadd132ss,vfmadd213pd,vfmadd213ps,vfmadd213sd,"
    "vfmadd213ss,vfmadd231pd,vfmadd231ps,vfmadd231sd,vfmadd231ss,vfmaddpd,vfmaddps,vfmaddsd,"
    "vfmaddss,vfmaddsub132pd,vfmaddsub132ps,vfmaddsub213pd,vfmaddsub213ps,vfmaddsub231pd,"
    "vfmaddsub231ps,vfmaddsubpd,vfmaddsubps,vfmsub132pd,vfmsub132ps,vfmsub132sd,vfmsub132ss,"
    "vfmsub213pd,vfmsub213ps,vfmsub213sd,vfmsub213ss,vfmsub231pd,vfmsub231ps,vfmsub231sd,"
    "vfmsub231ss,vfmsubadd132pd,vfmsubadd132ps,vfmsubadd213pd,vfmsubadd213ps,vfmsubadd231pd,"
    "vfmsubadd231ps,vfmsubaddpd,vfmsubaddps,vfmsubpd,vfmsubps,vfmsubsd,vfmsubss,vfnmadd132pd,"
    "vfnmadd132ps,vfnmadd132sd,vfnmadd132ss,vfnmadd213pd,vfnmadd213ps,vfnmadd213sd,vfnmadd213ss,"
    "vfnmadd231pd,vfnmadd231ps,vfnmadd231sd,vfnmadd231ss,vfnmaddpd,vfnmaddps,vfnmaddsd,vfnmaddss,"
    "vfnmsub132pd,vfnmsub132ps,vfnmsub132sd,vfnmsub132ss,vfnmsub213pd,vfnmsub213ps,vfnmsub213sd,"
    "vfnmsub213ss,vfnmsub231pd,vfnmsub231ps,vfnmsub231sd,vfnmsub231ss,vfnmsubpd,vfnmsubps,"
    "vfnmsubsd,vfnmsubss,"
    // XOP
    "vfrczpd,vfrczps,vfrczsd,vfrczss,vpcmov,vpcomb,vpcomd,vpcomq,vpcomub,vpcomud,vpcomuq,vpcomuw,"
    "vpcomw,vphaddbd,vphaddbq,vphaddbw,vphadddq,vphaddubd,vphaddubq,vphaddubw,vphaddudq,"
    "vphadduwd,vphadduwq,vphaddwd,vphaddwq,vphsubbw,vphsubdq,vphsubwd,vpmacsdd,vpmacsdqh,"
    "vpmacsdql,vpmacssdd,vpmacssdqh,vpmacssdql,vpmacsswd,vpmacssww,vpmacswd,vpmacsww,vpmadcsswd,"
    "vpmadcswd,vpperm,vprotb,vprotd,vprotq,vprotw,vpshab,vpshad,vpshaq,vpshaw,vpshlb,vpshld,"
    "vpshlq,vpshlw,"
    // AVX-512 and its mask instructions
    "kaddb,kaddd,kaddq,kaddw,kandb,kandd,kandnb,kandnd,kandnq,kandnw,kandq,kandw,kmovb,kmovd,"
    "kmovq,kmovw,knotb,knotd,knotq,knotw,korb,kord,korq,kortestb,kortestd,kortestq,kortestw,korw,"
    "kshiftlb,kshiftld,kshiftlq,kshiftlw,kshiftrb,kshiftrd,kshiftrq,kshiftrw,ktestb,ktestd,"
    "ktestq,ktestw,kunpckbw,kunpckdq,kunpckwd,kxnorb,kxnord,kxnorq,kxnorw,kxorb,kxord,kxorq,"
    "kxorw,v4fmaddps,v4fmaddss,v4fnmaddps,v4fnmaddss,valignd,valignq,vbcstnesh2ps,vblendmpd,"
    "vblendmps,vbroadcastf32x2,vbroadcastf32x4,vbroadcastf32x8,vbroadcastf64x2,vbroadcastf64x4,"
    "vbroadcasti32x2,vbroadcasti32x4,vbroadcasti32x8,vbroadcasti64x2,vbroadcasti64x4,vcompresspd,"
    "vcompressps,vcvtne2ps2bf16,vcvtneebf162ps,vcvtneeph2ps,vcvtneobf162ps,vcvtneoph2ps,"
    "vcvtneps2bf16,vcvtpd2qq,vcvtpd2udq,vcvtpd2uqq,vcvtps2qq,vcvtps2udq,vcvtps2uqq,vcvtqq2pd,"
    "vcvtqq2ps,vcvtsd2usi,vcvtss2usi,vcvttpd2qq,vcvttpd2udq,vcvttpd2uqq,vcvttps2qq,vcvttps2udq,"
    "vcvttps2uqq,vcvttsd2usi,vcvttss2usi,vcvtudq2pd,vcvtudq2ps,vcvtuqq2pd,vcvtuqq2ps,vcvtusi2sd,"
    "vcvtusi2ss,vdbpsadbw,vdpbf16ps,vexp2pd,vexp2ps,vexpandpd,vexpandps,vextractf32x4,"
    "vextractf32x8,vextractf64x2,vextractf64x4,vextracti32x4,vextracti32x8,vextracti64x2,"
    "vextracti64x4,vfixupimmpd,vfixupimmps,vfixupimmsd,vfixupimmss,vfpclasspd,vfpclassps,"
    "vfpclasssd,vfpclassss,vgatherpf0dpd,vgatherpf0dps,vgatherpf0qpd,vgatherpf0qps,vgatherpf1dpd,"
    "vgatherpf1dps,vgatherpf1qpd,vgatherpf1qps,vgetexppd,vgetexpps,vgetexpsd,vgetexpss,"
    "vgetmantpd,vgetmantps,vgetmantsd,vgetmantss,vinsertf32x4,vinsertf32x8,vinsertf64x2,"
    "vinsertf64x4,vinserti32x4,vinserti32x8,vinserti64x2,vinserti64x4,vmovdqa32,vmovdqa64,"
    "vmovdqu8,vmovdqu16,vmovdqu32,vmovdqu64,vp2intersectd,vpabsq,vpandd,vpandnd,vpandnq,vpandq,"
    "vpblendmb,vpblendmd,vpblendmq,vpblendmw,vpbroadcastmb2q,vpbroadcastmw2d,vpcmpb,vpcmpd,"
    "vpcmpequb,vpcmpequd,vpcmpequq,vpcmpequw,vpcmpgeb,vpcmpged,vpcmpgeq,vpcmpgeub,vpcmpgeud,"
    "vpcmpgeuq,vpcmpgeuw,vpcmpgew,vpcmpgtub,vpcmpgtud,vpcmpgtuq,vpcmpgtuw,vpcmpleb,vpcmpled,"
    "vpcmpleq,vpcmpleub,vpcmpleud,vpcmpleuq,vpcmpleuw,vpcmplew,vpcmpltb,vpcmpltd,vpcmpltq,"
    "vpcmpltub,vpcmpltud,vpcmpltuq,vpcmpltuw,vpcmpltw,vpcmpneqb,vpcmpneqd,vpcmpneqq,vpcmpnequb,"
    "vpcmpnequd,vpcmpnequq,vpcmpnequw,vpcmpneqw,vpcmpnleb,vpcmpnled,vpcmpnleq,vpcmpnleub,"
    "vpcmpnleud,vpcmpnleuq,vpcmpnleuw,vpcmpnlew,vpcmpnltb,vpcmpnltd,vpcmpnltq,vpcmpnltub,"
    "vpcmpnltud,vpcmpnltuq,vpcmpnltuw,vpcmpnltw,vpcmpq,vpcmpub,vpcmpud,vpcmpuq,vpcmpuw,vpcmpw,"
    "vpcompressb,vpcompressd,vpcompressq,vpcompressw,vpconflictd,vpconflictq,vpdpbssd,vpdpbssds,"
    "vpdpbsud,vpdpbsuds,vpdpbuud,vpdpbuuds,vpermb,vpermi2b,vpermi2d,vpermi2pd,vpermi2ps,vpermi2q,"
    "vpermi2w,vpermt2b,vpermt2d,vpermt2pd,vpermt2ps,vpermt2q,vpermt2w,vpermw,vpexpandb,vpexpandd,"
    "vpexpandq,vpexpandw,vplzcntd,vplzcntq,vpmadd52huq,vpmadd52luq,vpmaxsq,vpmaxuq,vpminsq,"
    "vpminuq,vpmovb2m,vpmovd2m,vpmovdb,vpmovdw,vpmovm2b,vpmovm2d,vpmovm2q,vpmovm2w,vpmovq2m,"
    "vpmovqb,vpmovqd,vpmovqw,vpmovsdb,vpmovsdw,vpmovsqb,vpmovsqd,vpmovsqw,vpmovswb,vpmovusdb,"
    "vpmovusdw,vpmovusqb,vpmovusqd,vpmovusqw,vpmovuswb,vpmovw2m,vpmovwb,vpmullq,vpmultishiftqb,"
    "vpopcntb,vpopcntd,vpopcntq,vpopcntw,vpord,vporq,vprold,vprolq,vprolvd,vprolvq,vprord,vprorq,"
    "vprorvd,vprorvq,vpscatterdd,vpscatterdq,vpscatterqd,vpscatterqq,vpshldd,vpshldq,vpshldvd,"
    "vpshldvq,vpshldvw,vpshldw,vpshrdd,vpshrdq,vpshrdvd,vpshrdvq,vpshrdvw,vpshrdw,vpshufbitqmb,"
    "vpsllvw,vpsraq,vpsravq,vpsravw,vpsrlvw,vpternlogd,vpternlogq,vptestmb,vptestmd,vptestmq,"
    "vptestmw,vptestnmb,vptestnmd,vptestnmq,vptestnmw,vpxord,vpxorq,vrangepd,vrangeps,vrangesd,"
    "vrangess,vrcp14pd,vrcp14ps,vrcp14sd,vrcp14ss,vrcp28pd,vrcp28ps,vrcp28sd,vrcp28ss,vreducepd,"
    "vreduceps,vreducesd,vreducess,vrndscalepd,vrndscaleps,vrndscalesd,vrndscaless,vrsqrt14pd,"
    "vrsqrt14ps,vrsqrt14sd,vrsqrt14ss,vrsqrt28pd,vrsqrt28ps,vrsqrt28sd,vrsqrt28ss,vscalefpd,"
    "vscalefps,vscalefsd,vscalefss,vscatterdpd,vscatterdps,vscatterpf0dpd,vscatterpf0dps,"
    "vscatterpf0qpd,vscatterpf0qps,vscatterpf1dpd,vscatterpf1dps,vscatterpf1qpd,vscatterpf1qps,"
    "vscatterqpd,vscatterqps,vshuff32x4,vshuff64x2,vshufi32x4,vshufi64x2,"
    // AVX-512 FP16
    "vaddph,vaddsh,vcmpph,vcmpsh,vcomish,vcvtdq2ph,vcvtpd2ph,vcvtph2dq,vcvtph2pd,vcvtph2psx,"
    "vcvtph2qq,vcvtph2udq,vcvtph2uqq,vcvtph2uw,vcvtph2w,vcvtqq2ph,vcvtsd2sh,vcvtsh2sd,vcvtsh2si,"
    "vcvtsh2ss,vcvtsh2usi,vcvtsi2sh,vcvtss2sh,vcvttph2dq,vcvttph2qq,vcvttph2udq,vcvttph2uqq,"
    "vcvttph2uw,vcvttph2w,vcvttsh2si,vcvttsh2usi,vcvtudq2ph,vcvtuqq2ph,vcvtusi2sh,vcvtuw2ph,"
    "vcvtw2ph,vdivph,vdivsh,vfcmaddcph,vfcmaddcsh,vfcmulcsh,vfmadd132ph,vfmadd213ph,vfmadd231ph,"
    "vfmaddcph,vfmaddcsh,vfmaddsub132ph,vfmaddsub213ph,vfmaddsub231ph,vfmsub132ph,vfmsub213ph,"
    "vfmsub231ph,vfmsubadd132ph,vfmsubadd213ph,vfmsubadd231ph,vfmulcsh,vfpclassph,vfpclasssh,"
    "vgetexpph,vgetexpsh,vgetmantph,vgetmantsh,vmovsh,vmovw,vmulph,vmulsh,vrcpph,vrcpsh,"
    "vreduceph,vreducesh,vrsqrtph,vrsqrtsh,vscalefph,vscalefsh,vsqrtph,vsqrtsh,vsubph,vsubsh,"
    "vucomish";

const char* const kNasmRegisters =
    // general purpose
    "al,ah,bl,bh,cl,ch,dl,dh,spl,bpl,sil,dil,r8b,r9b,r10b,r11b,r12b,r13b,r14b,r15b,ax,bx,cx,dx,"
    "sp,bp,si,di,r8w,r9w,r10w,r11w,r12w,r13w,r14w,r15w,eax,ebx,ecx,edx,esp,ebp,esi,edi,r8d,r9d,"
    "r10d,r11d,r12d,r13d,r14d,r15d,rax,rbx,rcx,rdx,rsp,rbp,rsi,rdi,r8,r9,r10,r11,r12,r13,r14,r15,"
    // segment, control, debug and test
    "es,cs,ss,ds,fs,gs,cr0,cr1,cr2,cr3,cr4,cr5,cr6,cr7,cr8,cr9,cr10,cr11,cr12,cr13,cr14,cr15,dr0,"
    "dr1,dr2,dr3,dr4,dr5,dr6,dr7,dr8,dr9,dr10,dr11,dr12,dr13,dr14,dr15,tr0,tr1,tr2,tr3,tr4,tr5,"
    "tr6,tr7,"
    // x87, MMX, SSE, AVX and AVX-512
    "st0,st1,st2,st3,st4,st5,st6,st7,mm0,mm1,mm2,mm3,mm4,mm5,mm6,mm7,xmm0,xmm1,xmm2,xmm3,xmm4,"
    "xmm5,xmm6,xmm7,xmm8,xmm9,xmm10,xmm11,xmm12,xmm13,xmm14,xmm15,xmm16,xmm17,xmm18,xmm19,xmm20,"
    "xmm21,xmm22,xmm23,xmm24,xmm25,xmm26,xmm27,xmm28,xmm29,xmm30,xmm31,ymm0,ymm1,ymm2,ymm3,ymm4,"
    "ymm5,ymm6,ymm7,ymm8,ymm9,ymm10,ymm11,ymm12,ymm13,ymm14,ymm15,ymm16,ymm17,ymm18,ymm19,ymm20,"
    "ymm21,ymm22,ymm23,ymm24,ymm25,ymm26,ymm27,ymm28,ymm29,ymm30,ymm31,zmm0,zmm1,zmm2,zmm3,zmm4,"
    "zmm5,zmm6,zmm7,zmm8,zmm9,zmm10,zmm11,zmm12,zmm13,zmm14,zmm15,zmm16,zmm17,zmm18,zmm19,zmm20,"
    "zmm21,zmm22,zmm23,zmm24,zmm25,zmm26,zmm27,zmm28,zmm29,zmm30,zmm31,"
    // opmask, bound and tile
    "k0,k1,k2,k3,k4,k5,k6,k7,bnd0,bnd1,bnd2,bnd3,tmm0,tmm1,tmm2,tmm3,tmm4,tmm5,tmm6,tmm7";

const char* const kNasmDataDirectives =
    "db,dw,dd,dq,dt,do,dy,dz,resb,resw,resd,resq,rest,reso,resy,resz,equ,times,incbin";

const char* const kNasmDirectives =
    // sections, symbols and modes
    "bits,use16,use32,use64,section,segment,absolute,extern,global,common,static,required,cpu,"
    "default,float,org,align,alignb,sectalign,warning,"
    "safeseh,osabi,"
    // structures
    "struc,endstruc,istruc,at,iend,"
    // sizes, distances and operators
    "byte,word,dword,qword,tword,oword,yword,zword,far,near,short,strict,nosplit,rel,abs,seg,wrt,"
    "to";

const char* const kNasmPreprocessorWords =
    "%define,%xdefine,%idefine,%ixdefine,%undef,%defalias,%idefalias,%undefalias,%clear,%assign,"
    "%iassign,%defstr,%idefstr,%deftok,%ideftok,%strcat,%strlen,%substr,%aliases,%macro,%imacro,"
    "%rmacro,%irmacro,%endmacro,%unmacro,%unimacro,%rotate,%exitmacro,%rep,%endrep,%exitrep,%if,"
    "%ifn,%elif,%elifn,%else,%endif,%ifdef,%ifndef,%elifdef,%elifndef,%ifdefalias,%ifndefalias,"
    "%elifdefalias,%elifndefalias,%ifmacro,%ifnmacro,%elifmacro,%elifnmacro,%ifctx,%ifnctx,"
    "%elifctx,%elifnctx,%ifidn,%ifnidn,%elifidn,%elifnidn,%ifidni,%ifnidni,%elifidni,%elifnidni,"
    "%ifid,%ifnid,%elifid,%elifnid,%ifnum,%ifnnum,%elifnum,%elifnnum,%ifstr,%ifnstr,%elifstr,"
    "%elifnstr,%iftoken,%ifntoken,%eliftoken,%elifntoken,%ifempty,%ifnempty,%elifempty,"
    "%elifnempty,%ifenv,%ifnenv,%elifenv,%elifnenv,%ifusable,%ifnusable,%elifusable,%elifnusable,"
    "%ifusing,%ifnusing,%elifusing,%elifnusing,%include,%require,%pathsearch,%depend,%use,%push,"
    "%pop,%repl,%arg,%stacksize,%local,%line,%error,%warning,%fatal,%pragma,%null";

namespace {

std::vector<std::string> SplitWords(std::initializer_list<const char*> texts) {
  std::vector<std::string> words;
  for (const char* text : texts) {
    std::string word;
    for (const char* p = text;; ++p) {
      if (*p == ',' || *p == '\0') {
        if (!word.empty()) {
          words.push_back(std::move(word));
          word.clear();
        }
        if (*p == '\0') {
          break;
        }
      } else {
        word += *p;
      }
    }
  }
  return words;
}

}  // namespace

const std::vector<std::string>& NasmWords(TNasmWordKind kind) {
  static const std::array<std::vector<std::string>, 4> kLists = {
      SplitWords({kNasmInstructions}), SplitWords({kNasmRegisters}),
      SplitWords({kNasmDataDirectives, kNasmDirectives}), SplitWords({kNasmPreprocessorWords})};
  return kLists[static_cast<std::size_t>(kind)];
}

}  // namespace torvane
