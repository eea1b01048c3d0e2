// SPDX-License-Identifier: GPL-3.0-or-later
#include "xml_writer.h"

#include <libxml/xmlwriter.h>

#include <string>

#include "xml_text.h"

namespace orlenta {
namespace {

const xmlChar* X(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

}  // namespace

XmlWriter::XmlWriter(std::FILE* file) {
  xmlOutputBufferPtr output = file ? xmlOutputBufferCreateFile(file, nullptr) : nullptr;
  writer_ = output ? xmlNewTextWriter(output) : nullptr;
  if (!writer_) {
    if (output) xmlOutputBufferClose(output);
    failed_ = true;
    return;
  }
  Check(xmlTextWriterSetIndent(writer_, 1));
  Check(xmlTextWriterSetIndentString(writer_, X("  ")));
  Check(xmlTextWriterStartDocument(writer_, "1.0", "UTF-8", nullptr));
}

XmlWriter::~XmlWriter() {
  if (writer_) xmlFreeTextWriter(writer_);
}

void XmlWriter::Start(const char* name) {
  if (writer_) Check(xmlTextWriterStartElement(writer_, X(name)));
}

void XmlWriter::Attribute(const char* name, std::string_view value) {
  if (writer_) Check(xmlTextWriterWriteAttribute(writer_, X(name), X(XmlText(value).c_str())));
}

void XmlWriter::Text(std::string_view value) {
  if (writer_) Check(xmlTextWriterWriteString(writer_, X(XmlText(value).c_str())));
}

void XmlWriter::Element(const char* name, std::string_view value) {
  Start(name);
  Text(value);
  End();
}

void XmlWriter::End() {
  if (writer_) Check(xmlTextWriterEndElement(writer_));
}

void XmlWriter::Flush() {
  if (writer_) Check(xmlTextWriterFlush(writer_));
}

bool XmlWriter::Finish() {
  if (!writer_) return false;
  Check(xmlTextWriterEndDocument(writer_));
  Check(xmlTextWriterFlush(writer_));
  // Freeing the writer closes its output buffer, which writes out what it still holds.
  xmlFreeTextWriter(writer_);
  writer_ = nullptr;
  return !failed_;
}

}  // namespace orlenta
