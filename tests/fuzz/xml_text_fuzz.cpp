// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes (a file name, a path) cleaned for the report are valid UTF-8 holding only
// characters XML allows, from which the bytes can be told back, and a report holding them as
// text and as an attribute is well-formed XML that gives the cleaned text back.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "xml_text.h"
#include "xml_writer.h"

namespace {

// The length of the well-formed UTF-8 sequence at `at` of `text`, and its code point; 0 when
// there is none (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut).
std::size_t DecodeUtf8(std::string_view text, std::size_t at, uint32_t& code) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[at + i]); };
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  const uint8_t lead = byte(0);
  std::size_t length = 0;
  if (lead < 0x80)
    length = 1, code = lead;
  else if ((lead & 0xE0) == 0xC0)
    length = 2, code = lead & 0x1F;
  else if ((lead & 0xF0) == 0xE0)
    length = 3, code = lead & 0x0F;
  else if ((lead & 0xF8) == 0xF0)
    length = 4, code = lead & 0x07;
  else
    return 0;
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// The characters an XML 1.0 document may hold.
bool XmlAllows(uint32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

bool IsCleanXmlText(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    uint32_t code = 0;
    const std::size_t length = DecodeUtf8(text, at, code);
    if (length == 0 || !XmlAllows(code)) return false;
    at += length;
  }
  return true;
}

// True when every backslash of `text` begins an escape: \x and two upper-case hex digits.
// Text read back can then hold no \xHH that was not written as one.
bool BackslashesOnlyEscape(std::string_view text) {
  const auto upperHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
  for (std::size_t at = text.find('\\'); at != std::string_view::npos;
       at = text.find('\\', at + 1)) {
    if (at + 3 >= text.size() || text[at + 1] != 'x' || !upperHex(text[at + 2]) ||
        !upperHex(text[at + 3])) {
      return false;
    }
  }
  return true;
}

// A small report holding `value` as an attribute and as text, as XmlWriter writes it.
std::string WriteReport(std::string_view value) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&buffer, &size);
  orlenta::Require(file != nullptr, "a memory stream opens");
  bool finished = false;
  {
    orlenta::XmlWriter writer(file);
    writer.Start("fileobject");
    writer.Attribute("name", value);
    writer.Element("filename", value);
    finished = writer.Finish();
  }
  std::fclose(file);
  std::string report(buffer, size);
  std::free(buffer);
  orlenta::Require(finished, "the report is written whole");
  return report;
}

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// The attribute and the <filename> text of the report, as an XML parser reads them; nullopt
// when the report is not well-formed.
struct ParsedReport {
  std::string attribute, text;
};

std::string Take(xmlChar* value) {
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

std::optional<ParsedReport> ParseReport(const std::string& report) {
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  const std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadMemory(report.data(), static_cast<int>(report.size()), nullptr, "UTF-8", options));
  if (!doc) return std::nullopt;
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) return std::nullopt;
  ParsedReport parsed{Take(xmlGetProp(root, reinterpret_cast<const xmlChar*>("name"))), ""};
  for (xmlNode* child = root->children; child; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) parsed.text = Take(xmlNodeGetContent(child));
  }
  return parsed;
}

// `text` with its line ends as an XML parser hands them back from element text: a carriage
// return, alone or before a line feed, is read as one line feed.
std::string NormalizedLineEnds(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using orlenta::Require;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string cleaned = orlenta::XmlText(bytes);
  Require(IsCleanXmlText(cleaned), "cleaned text is valid UTF-8 that XML allows");
  // A backslash is written as \x5C, so that the escapes of other bytes can be told back.
  if (IsCleanXmlText(bytes) && bytes.find('\\') == std::string_view::npos) {
    Require(cleaned == bytes, "text XML allows passes as it is");
  }
  Require(BackslashesOnlyEscape(cleaned), "a backslash in cleaned text only begins an escape");
  Require(orlenta::XmlTextBytes(cleaned) == bytes, "the cleaned text gives the bytes back");
  const auto parsed = ParseReport(WriteReport(bytes));
  Require(parsed.has_value(), "the report is well-formed XML");
  Require(parsed->attribute == cleaned, "the attribute gives the cleaned text back");
  Require(NormalizedLineEnds(parsed->text) == NormalizedLineEnds(cleaned),
          "the element gives the cleaned text back");
  return 0;
}
