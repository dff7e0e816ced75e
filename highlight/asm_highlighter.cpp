// The scanning rules of the assembly highlighter, its attributes and keyword
// list, and its class record.
#include "highlight/asm_highlighter.h"

#include "platform/codepage.h"

namespace torvane {

namespace {

constexpr const char* kAsmFilter = "x86 Assembly Files (*.asm)|*.asm";

// Characters 1..9, 11, 12, 14..32 form whitespace runs.
constexpr std::array<bool, 256> kSpaceChars = [] {
  std::array<bool, 256> t{};
  for (int c = 1; c <= 32; ++c) {
    t[c] = c != 10 && c != 13;
  }
  return t;
}();

// NUL, LF and CR end a comment or a string.
constexpr std::array<bool, 256> kLineEndChars = [] {
  std::array<bool, 256> t{};
  t[0] = t[10] = t[13] = true;
  return t;
}();

constexpr std::array<bool, 256> kNumberChars = [] {
  std::array<bool, 256> t{};
  for (unsigned char c : std::string_view(".0123456789ABCDEFHX_abcdefhx")) {
    t[c] = true;
  }
  return t;
}();

std::unique_ptr<TSrcCustomHighlighter> CreateAsmHighlighter() {
  return std::make_unique<TSrcAsmHighlighter>();
}

std::unique_ptr<TSrcHighlighterAttributes> MakeAttribute(const char* name, TFontStyles style) {
  auto attr = std::make_unique<TSrcHighlighterAttributes>(name);
  attr->SetStyle(style);
  return attr;
}

}  // namespace

const char* const kAsmKeywords =
    "aaa,aad,aam,adc,add,and,arpl,bound,bsf,bsr,bswap,bt,btc,btr,bts,call,cbw,cdq,clc,cld,"
    "clflush,cli,clts,cmc,cmova,cmovae,cmovb,cmovbe,cmovc,cmove,cmovg,cmovge,cmovl,cmovle,"
    "cmovna,cmovnae,cmovnb,cmovnbe,cmovnc,cmovne,cmovng,cmovnge,cmovnl,cmovnle,cmovno,cmovnp,"
    "cmovns,cmovnz,cmovo,cmovp,cmovpe,cmovpo,cmovs,cmovz,cmp,cmps,cmpsb,cmpsd,cmpsw,cmpxchg,"
    "cpuid,crc32,cwd,cwde,daa,das,dec,div,emms,enter,f2xm1,fabs,fadd,faddp,fbld,fbstp,fchs,"
    "fclex,fcmovb,fcmovbe,fcmove,fcmovnb,fcmovnbe,fcmovne,fcmovnu,fcmovu,fcom,fcomi,fcomip,"
    "fcomp,fcompp,fcos,fdecstp,fdiv,fdivp,fdivr,fdivrp,femms,ffree,fiadd,ficom,ficomp,fidiv,"
    "fidivr,fild,fimul,fincstp,finit,fist,fistp,fisub,fisubr,fld,fld1,fldcw,fldenv,fldl2e,"
    "fldl2t,fldlg2,fldln2,fldpi,fldz,fmul,fmulp,fnclex,fninit,fnop,fnsave,fnstcw,fnstenv,"
    "fnstsw,fpatan,fprem1,fptan,frndint,frstor,fsave,fscale,fsin,fsincos,fsqrt,fst,fstcw,"
    "fstenv,fstp,fstsw,fsub,fsubp,fsubr,fsubrp,ftst,fucom,fucomi,fucomip,fucomp,fucompp,"
    "fwait,fxch,fxtract,fyl2xp1,hlt,idiv,imul,in,inc,ins,insb,insd,insw,int,int3,into,invd,"
    "invlpg,iret,iretd,iretw,ja,jae,jb,jbe,jc,jcxz,je,jecxz,jg,jge,jl,jle,jmp,jna,jnae,jnb,"
    "jnbe,jnc,jne,jng,jnge,jnl,jnle,jno,jnp,jns,jnz,jo,jp,jpe,jpo,js,jz,lahf,lar,lds,lea,"
    "leave,les,lfs,lgdt,lgs,lidt,lldt,lmsw,lock,lods,lodsb,lodsd,lodsw,loop,loope,loopne,"
    "loopnz,loopz,lsl,lss,ltr,mwait,mfence,monitor,mov,movbe,movd,movq, movs,movsb,movsd,"
    "movsw,movsx,movzx,mul,neg,nop,not,or,out,outs,outsb,outsd,outsw,packssdw,packsswb,"
    "packuswb,paddb,paddd,paddsb,paddsw,paddusb,paddusw,paddw,pand,pandn,pavgusb,pcmpeqb,"
    "pcmpeqd,pcmpeqw,pcmpgtb,pcmpgtd,pcmpgtw,pf2id,pfacc,pfadd,pfcmpeq,pfcmpge,pfcmpgt,pfmax,"
    "pfmin,pfmul,pfrcp,pfrcpit1,pfrcpit2,pfrsqit1,pfrsqrt,pfsub,pfsubr,pi2fd,pmaddwd,pmulhrw,"
    "pmulhw,pmullw,pop,popa,popad,popaw,popf,popfd,popfw,por,prefetch,prefetchw,pslld,psllq,"
    "psllw,psrad,psraw,psrld,psrlq,psrlw,psubb,psubd,psubsb,psubsw,psubusb,psubusw,psubw,"
    "punpckhbw,punpckhdq,punpckhwd,punpcklbw,punpckldq,punpcklwd,push,pusha,pushad,pushaw,"
    "pushf,pushfd,pushfw,pxor,rcl,rcr,rep,repe,repne,repnz,repz,ret,retf,rol,ror,sahf,sal,"
    "sar,sbb,scas,scasb,scasd,scasw,seta,setae,setb,setbe,setc,sete,setg,setge,setl,setle,"
    "setna,setnae,setnb,setnbe,setnc,setne,setng,setnge,setnl,setnle,setno,setnp,setns,setnz,"
    "seto,setp,setpo,sets,setz,sfence,sgdt,shl,shld,shr,shrd,sidt,sldt,smsw,stc,std,sti,"
    "stmxcsr,stos,stosb,stosd,stosw,str,sub,syscall,sysenter,sysexit,sysret,test,ud2,verr,"
    "verw,wait,wbinvd,wrmsr,xadd,xchg,xlat,xlatb,xor";

const TSrcHighlighterClass& TSrcAsmHighlighter::StaticClass() {
  static const TSrcHighlighterClass kClass{
      "TSrcAsmHighlighter", &TSrcCustomHighlighter::StaticClass(), &ClassLanguageTitle,
      &ClassSupportedFeatures, &CreateAsmHighlighter};
  return kClass;
}

TSrcAsmHighlighter::TSrcAsmHighlighter() {
  comment_attri_ = RegisterAttribute(MakeAttribute("Comment", {fsItalic}));
  identifier_attri_ = RegisterAttribute(MakeAttribute("Identifier", {}));
  key_attri_ = RegisterAttribute(MakeAttribute("Reserved Word", {fsBold}));
  number_attri_ = RegisterAttribute(MakeAttribute("Number", {}));
  space_attri_ = RegisterAttribute(MakeAttribute("Space", {}));
  string_attri_ = RegisterAttribute(MakeAttribute("String", {}));
  symbol_attri_ = RegisterAttribute(MakeAttribute("Symbol", {}));
  attribute_of_kind_ = {comment_attri_, identifier_attri_, key_attri_,
                        nullptr,        number_attri_,     space_attri_,
                        string_attri_,  symbol_attri_,     identifier_attri_};

  for (int c = 0; c < 256; ++c) {
    Rule rule = &TSrcAsmHighlighter::UnknownRule;
    if (c == 0) {
      rule = &TSrcAsmHighlighter::LineEndRule;
    } else if (c == 10) {
      rule = &TSrcAsmHighlighter::LineFeedRule;
    } else if (c == 13) {
      rule = &TSrcAsmHighlighter::CarriageReturnRule;
    } else if (kSpaceChars[c]) {
      rule = &TSrcAsmHighlighter::SpaceRule;
    } else if (c == '"' || c == '\'') {
      rule = &TSrcAsmHighlighter::StringRule;
    } else if (c == '#' || c == ';') {
      rule = &TSrcAsmHighlighter::CommentRule;
    } else if (c == '/') {
      rule = &TSrcAsmHighlighter::SlashRule;
    } else if (c >= '0' && c <= '9') {
      rule = &TSrcAsmHighlighter::NumberRule;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
      rule = &TSrcAsmHighlighter::IdentifierRule;
    } else if (c == '<') {
      rule = &TSrcAsmHighlighter::LowerRule;
    } else if (c == '>') {
      rule = &TSrcAsmHighlighter::GreaterRule;
    } else if (std::string_view("&()*+-.:=^{}").find(static_cast<char>(c)) !=
               std::string_view::npos) {
      rule = &TSrcAsmHighlighter::SymbolRule;
    }
    rules_[static_cast<std::size_t>(c)] = rule;
  }

  EnumerateKeywords(
      atkKeyword, kAsmKeywords, IdentifierCharacters(),
      [this](const std::string& word, int kind) { keywords_.AddKeyword(word, kind); });
  WireAttributes();
  SetDefaultFilter(kAsmFilter);
}

TSrcAsmHighlighter::~TSrcAsmHighlighter() = default;

TSrcHighlighterAttributes* TSrcAsmHighlighter::DefaultAttributeFor(int role) const {
  switch (role) {
    case drComment:
      return comment_attri_;
    case drIdentifier:
      return identifier_attri_;
    case drKeyword:
      return key_attri_;
    case drString:
      return string_attri_;
    case drWhitespace:
      return space_attri_;
    case drSymbol:
      return symbol_attri_;
    default:
      return nullptr;
  }
}

TSrcCharSet TSrcAsmHighlighter::IdentifierCharacters() const {
  TSrcCharSet set;
  for (int c = 0; c < 256; ++c) {
    const bool latin1_letter = c >= 192 && c != 215 && c != 247;
    set[static_cast<std::size_t>(c)] = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                       c == '_' || (c >= 'a' && c <= 'z') || latin1_letter;
  }
  return set;
}

bool TSrcAsmHighlighter::IsFilterStored() const {
  return DefaultFilter() != kAsmFilter;
}

void TSrcAsmHighlighter::StartLine(std::string_view text, int line_index) {
  line_.assign(text.data(), text.size());
  line_index_ = line_index;
  run_ = 0;
  AdvanceToken();
}

void TSrcAsmHighlighter::LineEndRule() {
  kind_ = atkLineEnd;
}

void TSrcAsmHighlighter::LineFeedRule() {
  kind_ = atkWhitespace;
  ++run_;
}

void TSrcAsmHighlighter::CarriageReturnRule() {
  kind_ = atkWhitespace;
  ++run_;
  if (At(run_) == '\n') {
    ++run_;
  }
}

void TSrcAsmHighlighter::SpaceRule() {
  kind_ = atkWhitespace;
  do {
    ++run_;
  } while (kSpaceChars[static_cast<unsigned char>(At(run_))]);
}

void TSrcAsmHighlighter::StringRule() {
  kind_ = atkString;
  const char quote = At(run_);
  if (At(run_ + 1) == quote && At(run_ + 2) == quote) {
    run_ += 2;
  }
  while (!kLineEndChars[static_cast<unsigned char>(At(run_))]) {
    ++run_;
    if (At(run_) == quote) {
      break;
    }
  }
  if (At(run_) != '\0') {
    ++run_;
  }
}

void TSrcAsmHighlighter::CommentRule() {
  kind_ = atkComment;
  do {
    ++run_;
  } while (!kLineEndChars[static_cast<unsigned char>(At(run_))]);
}

void TSrcAsmHighlighter::SlashRule() {
  if (At(run_ + 1) == '/') {
    CommentRule();
  } else {
    SymbolRule();
  }
}

void TSrcAsmHighlighter::NumberRule() {
  kind_ = atkNumber;
  do {
    ++run_;
  } while (kNumberChars[static_cast<unsigned char>(At(run_))]);
}

void TSrcAsmHighlighter::IdentifierRule() {
  kind_ = keywords_.KeywordKind(line_.data() + run_);
  run_ += keywords_.IdentifierLength();
}

void TSrcAsmHighlighter::LowerRule() {
  kind_ = atkSymbol;
  ++run_;
  if (At(run_) == '=' || At(run_) == '>') {
    ++run_;
  }
}

void TSrcAsmHighlighter::GreaterRule() {
  kind_ = atkSymbol;
  ++run_;
  if (At(run_) == '=') {
    ++run_;
  }
}

void TSrcAsmHighlighter::SymbolRule() {
  kind_ = atkSymbol;
  ++run_;
}

void TSrcAsmHighlighter::UnknownRule() {
  // A multi-byte character of the code page in use is one token; any other
  // byte stands alone.
  kind_ = atkIdentifier;
  const int length = static_cast<unsigned char>(At(run_)) < 0x80 ? 1 : CharLength(line_, run_);
  run_ += length > 0 ? length : 1;
}

}  // namespace torvane
