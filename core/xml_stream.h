#pragma once

// Streaming the XML project files of the newer IDE generations byte for byte:
// every byte is copied as it stands except the element values and start tags
// that a handler changes. There is no parser behind it, on purpose: whatever
// does not look like the expected markup is copied unseen rather than
// rejected. Comments, CDATA sections, declarations and processing
// instructions are copied without a look inside; an element's value is the
// text from its start tag to the next "<"; element names are compared exactly,
// as XML does. A tag or value longer than kMaxXmlPiece, or cut off by the end
// of the file, is copied unchanged, so memory stays flat whatever the size.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_lines.h"

namespace kelvandor {

inline constexpr std::size_t kMaxXmlPiece = 64 * 1024;

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;

  // A start tag, or an empty-element tag ("<a/>") when `empty`. `tag` is its
  // whole text from "<" to ">", which the handler may change; `name` views
  // it and is not to be used after a change.
  virtual void StartTag(std::string_view /*name*/, bool /*empty*/, std::string& /*tag*/) {}
  virtual void EndTag(std::string_view /*name*/) {}
  // Whether Value is called for the element `name` that has just started.
  virtual bool WantsValue(std::string_view /*name*/) const { return false; }
  // The raw value of a wanted element (entities not decoded), which the
  // handler may change.
  virtual void Value(std::string_view /*name*/, std::string& /*value*/) {}
};

// Streams `in` through `handler` into `out`; `out` is null when the file is
// only read. Raises IoError when reading or writing fails.
void StreamXml(LineReader& in, LineWriter* out, XmlHandler& handler);

// Reads the file at `path` through `handler`; raises IoError when it cannot
// be read.
void ReadXml(std::string_view path, XmlHandler& handler, FileSystem& file_system);

// The text with the five predefined entities of XML ("&amp;", "&lt;",
// "&gt;", "&quot;", "&apos;") and character references decoded; anything
// else stays as it stands.
std::string DecodeXml(std::string_view text);

// The text with "&", "<", ">", '"' and "'" written as entities.
std::string EncodeXml(std::string_view text);

// Position and length of the value of `attribute` in a start tag's text, or
// npos when the tag has no such attribute.
struct AttributeSpan {
  std::size_t pos = std::string_view::npos;
  std::size_t length = 0;
};
AttributeSpan FindAttribute(std::string_view tag, std::string_view attribute);

}  // namespace kelvandor
