// The scanning rules of the assembly highlighter, its attributes and keyword
// list, and its class record.
#include "highlight/asm_highlighter.h"

#include <algorithm>
#include <cstring>

#include "highlight/byte_scan.h"
#include "platform/codepage.h"

namespace torvane {

namespace {

using namespace byte_scan;

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

// 0x80 in each byte of x that continues a number: digits, hexadecimal
// letters, 'h' and 'x' of either case, '.' and '_'.
constexpr std::uint64_t NumberCharBytes(std::uint64_t x) {
  const std::uint64_t lower = x | (kOnes * 0x20);  // moves only 'A'..'F', 'H', 'X' onto these
  return BytesBetween(x, '0' - 1, '9' + 1) | BytesBetween(lower, 'a' - 1, 'f' + 1) |
         BytesEqual(lower, 'h') | BytesEqual(lower, 'x') | BytesEqual(x, '.') | BytesEqual(x, '_');
}
static_assert(AgreesWith(NumberCharBytes, kNumberChars));

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
    TScanRule rule = srUnknown;
    if (c == 0) {
      rule = srLineEnd;
    } else if (c == 10) {
      rule = srLineFeed;
    } else if (c == 13) {
      rule = srCarriageReturn;
    } else if (kSpaceChars[c]) {
      rule = srSpace;
    } else if (c == '"' || c == '\'') {
      rule = srString;
    } else if (c == '#' || c == ';') {
      rule = srComment;
    } else if (c == '/') {
      rule = srSlash;
    } else if (c >= '0' && c <= '9') {
      rule = srNumber;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
      rule = srIdentifier;
    } else if (c == '<') {
      rule = srLower;
    } else if (c == '>') {
      rule = srGreater;
    } else if (std::string_view("&()*+-.:=^{}").find(static_cast<char>(c)) !=
               std::string_view::npos) {
      rule = srSymbol;
    }
    rules_[static_cast<std::size_t>(c)] = rule;
  }

  EnumerateKeywords(atkKeyword, kAsmKeywords, IdentifierCharacters(),
                    [this](const std::string& word, int kind) {
                      keywords_.AddKeyword(word, kind);
                      words_.Add(word, kind);
                    });
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

void TSrcAsmHighlighter::SetWindow(const char* text, std::size_t size) {
  // The buffer only grows; the bytes and their NULs are written over its start.
  if (line_.size() < size + TPackedWordTable::kMaxLength) {
    line_.resize(size + TPackedWordTable::kMaxLength);
  }
  if (size > 0) {  // an empty view may have no data at all
    std::memmove(line_.data(), text, size);
  }
  std::memset(line_.data() + size, 0, TPackedWordTable::kMaxLength);
  size_ = static_cast<int>(size);
}

void TSrcAsmHighlighter::StartLine(std::string_view text, int line_index) {
  SetWindow(text.data(), text.size());
  source_ = {};
  base_ = 0;
  line_index_ = line_index;
  run_ = 0;
  AdvanceToken();
}

void TSrcAsmHighlighter::StartLineAt(std::string_view text, int line_index, int offset) {
  constexpr std::size_t kFirstWindow = 4096;
  base_ = std::clamp(offset, 0, static_cast<int>(text.size()));
  source_ = text;
  SetWindow(text.data() + base_,
            std::min(text.size() - static_cast<std::size_t>(base_), kFirstWindow));
  line_index_ = line_index;
  run_ = 0;
  AdvanceToken();
}

bool TSrcAsmHighlighter::ExtendWindow(int keep_from) {
  const std::size_t copied = static_cast<std::size_t>(base_ + size_);
  if (copied >= source_.size()) {
    return false;
  }
  // The bytes before the token being scanned are done with: the window
  // slides rather than grows, so a scan over a long line copies it once in
  // pieces and never holds all of it.
  const std::size_t kept = static_cast<std::size_t>(size_ - keep_from);
  base_ += keep_from;
  constexpr std::size_t kStep = 64 * 1024;
  const std::size_t more = std::min(source_.size() - copied, std::max(kept, kStep));
  line_.erase(0, static_cast<std::size_t>(keep_from));
  line_.resize(kept);
  line_.append(source_.data() + copied, more);
  size_ = static_cast<int>(line_.size());
  line_.append(TPackedWordTable::kMaxLength, '\0');
  return true;
}

void TSrcAsmHighlighter::AdvanceToken() {
  // A token that ends this close to the window's end may go on after it (or
  // be a character cut in two): it is scanned again with more of the line.
  constexpr int kLookahead = 8;
  ScanToken();
  while (run_ + kLookahead >= size_ && !source_.empty() && ExtendWindow(token_start_)) {
    run_ = 0;  // the token now starts the window
    ScanToken();
  }
}

void TSrcAsmHighlighter::ScanToken() {
  // One dispatch per token; each case leaves `run` after the token. Every
  // loop stops at the NUL that ends line_.
  const char* const p = line_.data();
  int run = run_;
  token_start_ = run;
  const auto at = [p](int i) { return static_cast<unsigned char>(p[i]); };
  const TScanRule rule = rules_[at(run)];
  // The commonest rules (in assembly source: blanks, words, commas and
  // brackets, the line end) are tested first: conditional branches follow
  // the token pattern of a line better than one indirect jump does.
  if (rule == srIdentifier) {
    // A word of letters, digits and '_': up to eight of them are found at
    // once (the NULs after the line keep the load inside it).
    std::uint64_t bytes;
    std::memcpy(&bytes, p + run, 8);
    const std::uint64_t stops = ~WordCharBytes(bytes) & kHighBits;
    const int end = stops != 0 ? run + std::countr_zero(stops) / 8 : RunEnd<WordCharBytes>(p, run);
    kind_ = words_.Find(p + run, end - run);
    run_ = end;
    return;
  }
  if (rule == srSpace) {
    kind_ = atkWhitespace;
    do {
      ++run;
    } while (kSpaceChars[at(run)]);
    run_ = run;
    return;
  }
  if (rule == srUnknown) {
    kind_ = atkIdentifier;
    run_ = at(run) < 0x80 ? run + 1 : ScanMultiByte(run);
    return;
  }
  if (rule == srLineEnd) {
    kind_ = atkLineEnd;
    return;
  }
  switch (rule) {
    case srLineFeed:
      kind_ = atkWhitespace;
      ++run;
      break;
    case srCarriageReturn:
      kind_ = atkWhitespace;
      ++run;
      run += at(run) == '\n' ? 1 : 0;
      break;
    case srString:
      kind_ = atkString;
      run = ScanString(run);
      break;
    case srSlash:
      if (at(run + 1) != '/') {
        kind_ = atkSymbol;
        ++run;
        break;
      }
      [[fallthrough]];
    case srComment:
      kind_ = atkComment;
      run = ScanToLineEnd(run);
      break;
    case srNumber:
      kind_ = atkNumber;
      run = RunEnd<NumberCharBytes>(p, run);
      break;
    case srLower:
      kind_ = atkSymbol;
      ++run;
      run += at(run) == '=' || at(run) == '>' ? 1 : 0;
      break;
    case srGreater:
      kind_ = atkSymbol;
      ++run;
      run += at(run) == '=' ? 1 : 0;
      break;
    case srSymbol:
      kind_ = atkSymbol;
      ++run;
      break;
    case srLineEnd:
    case srSpace:
    case srIdentifier:
    case srUnknown:
      break;  // handled above
  }
  run_ = run;
}

int TSrcAsmHighlighter::ScanString(int run) const {
  // No escapes: the string ends at the next quote like the opening one, after
  // a tripled opening quote if there is one, or at the end of the line.
  const char* const p = line_.data();
  const char quote = p[run];
  if (p[run + 1] == quote && p[run + 2] == quote) {
    run += 2;
  }
  while (!kLineEndChars[static_cast<unsigned char>(p[run])]) {
    ++run;
    if (p[run] == quote) {
      break;
    }
  }
  return p[run] != '\0' ? run + 1 : run;
}

int TSrcAsmHighlighter::ScanToLineEnd(int run) const {
  return LineBreakAt(line_.data(), run + 1);
}

int TSrcAsmHighlighter::ScanMultiByte(int run) const {
  // A multi-byte character of the code page in use is one token.
  const int length = CharLength(std::string_view(line_.data(), static_cast<std::size_t>(size_)),
                                static_cast<std::size_t>(run));
  return run + (length > 0 ? length : 1);
}

}  // namespace torvane
