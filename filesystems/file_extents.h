// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace orlenta {

// A run of a file's bytes on the volume, in the volume's logical bytes (see BlockReader).
struct FileExtent {
  uint64_t offset = 0;
  uint64_t length = 0;
};

// A file's extents, in file order. Nearly every file on a disc has one, held in place; a
// file of several has them all on the heap. It reads like a vector of them: a disc of many
// files would otherwise cost a heap block for each file's one extent.
class FileExtents {
 public:
  FileExtents() = default;
  FileExtents(std::initializer_list<FileExtent> extents) { Assign(extents.begin(), extents.end()); }
  explicit FileExtents(const std::vector<FileExtent>& extents) {
    Assign(extents.data(), extents.data() + extents.size());
  }
  FileExtents(const FileExtents& other) { Assign(other.begin(), other.end()); }
  // What is moved from is left empty.
  FileExtents(FileExtents&& other) noexcept { Swap(other); }
  FileExtents& operator=(const FileExtents& other) {
    if (this != &other) FileExtents(other).Swap(*this);
    return *this;
  }
  FileExtents& operator=(FileExtents&& other) noexcept {
    FileExtents(std::move(other)).Swap(*this);
    return *this;
  }
  FileExtents& operator=(const std::vector<FileExtent>& extents) {
    FileExtents(extents).Swap(*this);
    return *this;
  }

  void push_back(const FileExtent& extent) {
    if (count_ == 0) {
      one_ = extent;
    } else {
      if (!more_) more_ = std::make_unique<std::vector<FileExtent>>(1, one_);
      more_->push_back(extent);
    }
    ++count_;
  }

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  FileExtent* begin() { return more_ ? more_->data() : &one_; }
  FileExtent* end() { return begin() + count_; }
  const FileExtent* begin() const { return more_ ? more_->data() : &one_; }
  const FileExtent* end() const { return begin() + count_; }
  FileExtent& operator[](std::size_t i) { return begin()[i]; }
  const FileExtent& operator[](std::size_t i) const { return begin()[i]; }
  const FileExtent& front() const { return *begin(); }
  const FileExtent& back() const { return begin()[count_ - 1]; }

  // Lets go of every extent and of the heap they took.
  void clear() { FileExtents().Swap(*this); }

  // Removes the extents for which `remove` is true, keeping the others' order.
  template <class Remove>
  void EraseIf(Remove remove) {
    std::vector<FileExtent> kept;
    std::copy_if(begin(), end(), std::back_inserter(kept),
                 [&](const FileExtent& extent) { return !remove(extent); });
    *this = kept;
  }

 private:
  template <class Iterator>
  void Assign(Iterator first, Iterator last) {
    for (; first != last; ++first) push_back(*first);
  }
  void Swap(FileExtents& other) noexcept {
    std::swap(count_, other.count_);
    std::swap(one_, other.one_);
    std::swap(more_, other.more_);
  }

  FileExtent one_;                                 // the only one, while there is one
  std::unique_ptr<std::vector<FileExtent>> more_;  // all of them, when there are several
  uint32_t count_ = 0;
};

}  // namespace orlenta
