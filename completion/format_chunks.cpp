// Parsing of the formatted-text language (see format_chunks.h).
#include "completion/format_chunks.h"

#include <QByteArray>
#include <optional>

#include "platform/color_names.h"

namespace torvane {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool NameIs(std::string_view name, std::string_view upper) {
  return qstrnicmp(name.data(), static_cast<qsizetype>(name.size()), upper.data(),
                   static_cast<qsizetype>(upper.size())) == 0;
}

std::optional<TFontStyle> StyleLetter(char c) {
  switch (UpperAscii(c)) {
    case 'B':
      return fsBold;
    case 'I':
      return fsItalic;
    case 'S':
      return fsStrikeOut;
    case 'U':
      return fsUnderline;
    default:
      return std::nullopt;
  }
}

std::optional<TFormatStyleAction> StyleSign(char c) {
  switch (c) {
    case '+':
      return fsaAdd;
    case '-':
      return fsaRemove;
    case '~':
      return fsaToggle;
    default:
      return std::nullopt;
  }
}

// The chunk a command stands for; nothing when the name is unknown or the
// value does not convert.
std::optional<TFormatChunk> CommandChunk(std::string_view name, std::string_view value) {
  TFormatChunk chunk;
  if (NameIs(name, "COLOR")) {
    const std::optional<TColor> color = StringToColor(value);
    if (!color) {
      return std::nullopt;
    }
    chunk.Kind = fckColor;
    chunk.Color = *color;
  } else if (NameIs(name, "COLUMN")) {
    if (!value.empty()) {
      return std::nullopt;
    }
    chunk.Kind = fckColumn;
  } else if (NameIs(name, "HSPACE") || NameIs(name, "IMAGE")) {
    const std::optional<std::int32_t> number = StringToInteger(value);
    if (!number) {
      return std::nullopt;
    }
    chunk.Kind = NameIs(name, "IMAGE") ? fckImage : fckHSpace;
    chunk.Value = *number;
  } else if (NameIs(name, "STYLE")) {
    if (value.size() != 2) {
      return std::nullopt;
    }
    const std::optional<TFormatStyleAction> action = StyleSign(value[0]);
    const std::optional<TFontStyle> style = StyleLetter(value[1]);
    if (!action || !style) {
      return std::nullopt;
    }
    chunk.Kind = fckStyle;
    chunk.Action = *action;
    chunk.Style = *style;
  } else {
    return std::nullopt;
  }
  return chunk;
}

class TChunkCollector {
 public:
  TChunkCollector(std::vector<TFormatChunk>& chunks, TFormatChunkKinds excluded,
                  bool styles_allowed)
      : chunks_(chunks), excluded_(excluded), styles_allowed_(styles_allowed) {}

  void AppendText(char c) { text_ += c; }

  void CloseText() {
    if (!text_.empty()) {
      TFormatChunk chunk;
      chunk.Text = std::move(text_);
      Store(std::move(chunk));
      text_.clear();
    }
  }

  void Store(TFormatChunk chunk) {
    if ((excluded_ & FormatChunkKind(chunk.Kind)) != 0 ||
        (chunk.Kind == fckStyle && !styles_allowed_)) {
      return;
    }
    chunks_.push_back(std::move(chunk));
  }

 private:
  std::vector<TFormatChunk>& chunks_;
  TFormatChunkKinds excluded_;
  bool styles_allowed_;
  std::string text_;
};

}  // namespace

bool SplitFormatChunks(std::string_view text, std::vector<TFormatChunk>& chunks,
                       TFormatChunkKinds excluded, bool styles_allowed) {
  TChunkCollector collector(chunks, excluded, styles_allowed);
  bool well_formed = true;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '\\') {
      collector.AppendText(c);
      ++i;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\\') {
      collector.AppendText('\\');
      i += 2;
      continue;
    }
    // A command is backslash, name, {value}; a backslash that does not
    // begin that form is text (a path or a line-continuation in source).
    std::size_t name_end = i + 1;
    while (name_end < text.size() && IsAsciiLetter(text[name_end])) {
      ++name_end;
    }
    const std::string_view name = text.substr(i + 1, name_end - i - 1);
    const std::size_t close = name.empty() || name_end >= text.size() || text[name_end] != '{'
                                  ? std::string_view::npos
                                  : text.find('}', name_end + 1);
    if (close == std::string_view::npos) {
      collector.AppendText('\\');
      ++i;
      continue;
    }
    collector.CloseText();
    const std::string_view value = text.substr(name_end + 1, close - name_end - 1);
    if (std::optional<TFormatChunk> chunk = CommandChunk(name, value)) {
      collector.Store(std::move(*chunk));
    } else {
      well_formed = false;
    }
    i = close + 1;
  }
  collector.CloseText();
  return well_formed;
}

std::string StripFormatCommands(std::string_view text) {
  std::vector<TFormatChunk> chunks;
  SplitFormatChunks(text, chunks, static_cast<TFormatChunkKinds>(~FormatChunkKind(fckText)));
  std::string result;
  for (const TFormatChunk& chunk : chunks) {
    result += chunk.Text;
  }
  return result;
}

std::string DumpFormatChunks(const std::vector<TFormatChunk>& chunks) {
  static const char* const kStyleLetters = "BIUS";
  static const char* const kSigns = "+-~";
  std::string out;
  for (const TFormatChunk& chunk : chunks) {
    if (!out.empty()) {
      out += " | ";
    }
    switch (chunk.Kind) {
      case fckText:
        out += "text \"" + chunk.Text + "\"";
        break;
      case fckColor:
        out += "color " + std::to_string(chunk.Color);
        break;
      case fckStyle:
        out += std::string("style ") + kSigns[chunk.Action] + kStyleLetters[chunk.Style];
        break;
      case fckColumn:
        out += "column";
        break;
      case fckHSpace:
        out += "hspace " + std::to_string(chunk.Value);
        break;
      case fckImage:
        out += "image " + std::to_string(chunk.Value);
        break;
    }
  }
  return out;
}

}  // namespace torvane
