#include "core/xml_stream.h"

#include <cstdint>

namespace kelvandor {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The element name of a tag's text, from `from` (after "<" or "</") up to a
// blank, "/" or ">".
std::string_view TagName(std::string_view tag, std::size_t from) {
  std::size_t end = from;
  while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != '/' && tag[end] != '>') ++end;
  return tag.substr(from, end - from);
}

void AppendUtf8(std::uint32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character of a reference such as "#65" or "#x41"; false when it is
// none or out of range.
bool CharacterReference(std::string_view ref, std::uint32_t& code) {
  if (ref.size() < 2 || ref[0] != '#') return false;
  const bool hex = ref[1] == 'x';
  const std::string_view digits = ref.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return false;
  code = 0;
  for (char c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return false;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
  }
  return code > 0 && code <= 0x10FFFF;
}

class XmlStreamer {
 public:
  XmlStreamer(LineWriter* out, XmlHandler& handler) : out_(out), handler_(handler) {}
  XmlStreamer(const XmlStreamer&) = delete;
  XmlStreamer& operator=(const XmlStreamer&) = delete;

  void Feed(std::string_view chunk) {
    while (!chunk.empty()) {
      switch (state_) {
        case State::kText:
          FeedText(chunk);
          break;
        case State::kTag:
          FeedTag(chunk);
          break;
        case State::kValue:
          FeedValue(chunk);
          break;
        case State::kSkip:
          FeedSkip(chunk);
          break;
        case State::kDoctype:
          FeedDoctype(chunk);
          break;
      }
    }
  }

  // What is pending at the end of the input was cut off: copied unchanged.
  void Finish() {
    Emit(tag_);
    Emit(value_);
  }

 private:
  enum class State { kText, kTag, kValue, kSkip, kDoctype };
  static constexpr std::string_view kComment = "<!--";
  static constexpr std::string_view kCdata = "<![CDATA[";
  static constexpr std::string_view kInstruction = "<?";
  static constexpr std::string_view kDoctype = "<!DOCTYPE";

  void Emit(std::string_view bytes) {
    if (out_ != nullptr) out_->Write(bytes);
  }

  void BeginTag() {
    tag_.assign(1, '<');
    quote_ = 0;
    last_mark_ = '<';
    state_ = State::kTag;
  }

  void FeedText(std::string_view& chunk) {
    const std::size_t lt = chunk.find('<');
    Emit(chunk.substr(0, lt));
    if (lt == std::string_view::npos) {
      chunk = {};
      return;
    }
    chunk.remove_prefix(lt + 1);
    BeginTag();
  }

  void FeedTag(std::string_view& chunk) {
    // Byte by byte while the tag may still open a comment or CDATA section,
    // so that nothing inside one is taken for markup.
    if (tag_.size() == 1 || (tag_[1] == '!' && tag_.size() < kCdata.size())) {
      FeedTagByte(chunk);
      return;
    }
    // An attribute value, quoted after its "=", may hold ">" (and, malformed,
    // "<").
    std::size_t end = 0;
    for (; end < chunk.size(); ++end) {
      const char c = chunk[end];
      if (quote_ != 0) {
        if (c == quote_) quote_ = 0;
        continue;
      }
      if ((c == '"' || c == '\'') && last_mark_ == '=') {
        quote_ = c;
      } else if (c == '>' || c == '<') {
        break;
      }
      if (!IsBlank(c)) last_mark_ = c;
    }
    if (end == chunk.size()) end = std::string_view::npos;
    const std::size_t n = end == std::string_view::npos ? chunk.size() : end;
    if (tag_.size() + n > kMaxXmlPiece) {
      TagIsText();
      return;
    }
    tag_.append(chunk.substr(0, n));
    if (end == std::string_view::npos) {
      chunk = {};
      return;
    }
    const char c = chunk[end];
    chunk.remove_prefix(end + 1);
    if (c == '<') {  // what came before was no tag
      Emit(tag_);
      BeginTag();
    } else {
      tag_ += c;
      CompleteTag();
    }
  }

  void FeedTagByte(std::string_view& chunk) {
    const char c = chunk.front();
    chunk.remove_prefix(1);
    if (c == '<') {
      Emit(tag_);
      BeginTag();
      return;
    }
    tag_ += c;
    if (tag_ == kComment) {
      Skip("-->");
    } else if (tag_ == kCdata) {
      Skip("]]>");
    } else if (tag_ == kInstruction) {
      Skip("?>");
    } else if (tag_ == kDoctype) {
      Emit(tag_);
      tag_.clear();
      quote_ = 0;
      in_subset_ = false;
      state_ = State::kDoctype;
    } else if (c == '>') {
      CompleteTag();
    }
  }

  // Too long for a tag: what is held goes out as it stands, and the rest as
  // text.
  void TagIsText() {
    Emit(tag_);
    tag_.clear();
    state_ = State::kText;
  }

  void Skip(std::string_view terminator) {
    Emit(tag_);
    tag_.clear();
    terminator_ = terminator;
    matched_ = 0;
    state_ = State::kSkip;
  }

  // A document type declaration, its internal subset included, is copied
  // unseen: its declarations may hold anything that looks like markup.
  void FeedDoctype(std::string_view& chunk) {
    std::size_t i = 0;
    bool done = false;
    while (i < chunk.size() && !done) {
      const char c = chunk[i++];
      if (quote_ != 0) {
        if (c == quote_) quote_ = 0;
      } else if (c == '"' || c == '\'') {
        quote_ = c;
      } else if (c == '[') {
        in_subset_ = true;
      } else if (c == ']') {
        in_subset_ = false;
      } else if (c == '>' && !in_subset_) {
        done = true;
      }
    }
    Emit(chunk.substr(0, i));
    chunk.remove_prefix(i);
    if (done) state_ = State::kText;
  }

  void FeedSkip(std::string_view& chunk) {
    std::size_t i = 0;
    while (i < chunk.size() && matched_ < terminator_.size()) {
      const char c = chunk[i++];
      // Each terminator's first character is doubled ("--", "]]") or not
      // repeated ("?>"), so a mismatch on that character keeps what was
      // matched.
      if (c == terminator_[matched_]) {
        ++matched_;
      } else if (c != terminator_[0]) {
        matched_ = 0;
      }
    }
    Emit(chunk.substr(0, i));
    chunk.remove_prefix(i);
    if (matched_ == terminator_.size()) state_ = State::kText;
  }

  void CompleteTag() {
    state_ = State::kText;
    if (tag_[1] == '/') {
      handler_.EndTag(TagName(tag_, 2));
    } else if (tag_[1] != '!' && tag_[1] != '?') {
      const std::string_view name = TagName(tag_, 1);
      const bool empty = tag_[tag_.size() - 2] == '/';
      if (!name.empty()) {
        // Asked first: StartTag may change the tag that `name` views.
        if (!empty && handler_.WantsValue(name)) {
          value_element_ = name;
          state_ = State::kValue;
        }
        handler_.StartTag(name, empty, tag_);
      }
    }
    Emit(tag_);
    tag_.clear();
  }

  void FeedValue(std::string_view& chunk) {
    const std::size_t lt = chunk.find('<');
    const std::string_view piece = chunk.substr(0, lt);
    if (value_.size() + piece.size() > kMaxXmlPiece) {
      Emit(value_);  // too long to hold: passed through as plain text
      value_.clear();
      state_ = State::kText;
      return;
    }
    value_ += piece;
    if (lt == std::string_view::npos) {
      chunk = {};
      return;
    }
    chunk.remove_prefix(lt + 1);
    handler_.Value(value_element_, value_);
    Emit(value_);
    value_.clear();
    BeginTag();
  }

  LineWriter* out_ = nullptr;
  XmlHandler& handler_;
  State state_ = State::kText;
  std::string tag_;
  std::string value_;
  std::string value_element_;
  std::string_view terminator_;
  std::size_t matched_ = 0;
  char quote_ = 0;      // the quote of an attribute value the tag is in
  char last_mark_ = 0;  // the tag's last byte that is no blank
  bool in_subset_ = false;
};

}  // namespace

void StreamXml(LineReader& in, LineWriter* out, XmlHandler& handler) {
  XmlStreamer streamer(out, handler);
  std::string_view chunk;
  while (in.ReadBytes(chunk)) streamer.Feed(chunk);
  streamer.Finish();
}

void ReadXml(std::string_view path, XmlHandler& handler, FileSystem& file_system) {
  LineReader in(path, file_system);
  StreamXml(in, nullptr, handler);
  in.Close();
}

std::string DecodeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) break;
    out.append(text.substr(i, amp - i));
    const std::size_t semi = text.find(';', amp);
    const std::string_view ref =
        semi == std::string_view::npos ? std::string_view() : text.substr(amp + 1, semi - amp - 1);
    std::uint32_t code = 0;
    if (ref == "amp") {
      out += '&';
    } else if (ref == "lt") {
      out += '<';
    } else if (ref == "gt") {
      out += '>';
    } else if (ref == "quot") {
      out += '"';
    } else if (ref == "apos") {
      out += '\'';
    } else if (CharacterReference(ref, code)) {
      AppendUtf8(code, out);
    } else {
      out += '&';
      i = amp + 1;
      continue;
    }
    i = semi + 1;
  }
  if (i < text.size()) out.append(text.substr(i));
  return out;
}

std::string EncodeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

AttributeSpan FindAttribute(std::string_view tag, std::string_view attribute) {
  std::size_t i = 1 + TagName(tag, 1).size();
  for (;;) {
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size() || tag[i] == '/' || tag[i] == '>') return {};
    const std::size_t name_start = i;
    while (i < tag.size() && !IsBlank(tag[i]) && tag[i] != '=' && tag[i] != '/' && tag[i] != '>')
      ++i;
    const std::string_view name = tag.substr(name_start, i - name_start);
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size() || tag[i] != '=') return {};
    ++i;
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) return {};
    const char quote = tag[i++];
    const std::size_t end = tag.find(quote, i);
    if (end == std::string_view::npos) return {};
    if (name == attribute) return {i, end - i};
    i = end + 1;
  }
}

}  // namespace kelvandor
