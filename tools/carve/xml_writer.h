// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string_view>

struct _xmlTextWriter;

namespace orlenta {

// A streaming XML writer over libxml2's, for documents too large to build in memory. Names
// are ours and written as given ("prefix:name" included); every text and attribute value
// goes through XmlText and the library's escaping, so no file name can break the document.
class XmlWriter {
 public:
  // Writes a UTF-8 document to `file`, which the writer flushes but never closes.
  explicit XmlWriter(std::FILE* file);
  ~XmlWriter();
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  void Start(const char* name);
  void Attribute(const char* name, std::string_view value);
  void Text(std::string_view value);
  // Start, Text, End.
  void Element(const char* name, std::string_view value);
  void End();

  // Hands everything written so far on to the file (which the caller flushes in turn).
  void Flush();

  // Closes every open element and the document and flushes. Return values: true when the
  // whole document was written, false after any failure on the way.
  bool Finish();

 private:
  void Check(int result) {
    if (result < 0) failed_ = true;
  }

  _xmlTextWriter* writer_ = nullptr;
  bool failed_ = false;
};

}  // namespace orlenta
