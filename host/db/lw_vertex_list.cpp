#include "host/db/lw_vertex_list.h"

#include <bit>

namespace host::db {
namespace {

// Values are kept bit for bit: -0.0 is not 0.0 here.
bool Same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

}  // namespace

LwVertex LwVertexList::operator[](std::size_t i) const {
  const Point& p = points_[i];
  const Widths& w = widths_.empty() ? shared_ : widths_[i];
  return {p.x, p.y, bulges_.empty() ? 0.0 : bulges_[i], w.start, w.end};
}

void LwVertexList::clear() {
  points_.clear();
  bulges_.clear();
  widths_.clear();
  shared_ = {0, 0};
}

void LwVertexList::push_back(const LwVertex& v) {
  if (points_.empty()) {
    clear();
    shared_ = {v.startWidth, v.endWidth};
  }
  points_.push_back({v.x, v.y});
  const std::size_t before = points_.size() - 1;
  if (!bulges_.empty() || !Same(v.bulge, 0.0)) {
    bulges_.resize(before, 0.0);
    bulges_.push_back(v.bulge);
  }
  if (!widths_.empty() || !Same(v.startWidth, shared_.start) || !Same(v.endWidth, shared_.end)) {
    widths_.resize(before, shared_);
    widths_.push_back({v.startWidth, v.endWidth});
  }
}

void LwVertexList::pop_back() {
  points_.pop_back();
  if (!bulges_.empty()) bulges_.pop_back();
  if (!widths_.empty()) widths_.pop_back();
  if (points_.empty()) clear();
}

void LwVertexList::Set(std::size_t i, const LwVertex& v) {
  points_[i] = {v.x, v.y};
  if (!bulges_.empty() || !Same(v.bulge, 0.0)) {
    bulges_.resize(points_.size(), 0.0);
    bulges_[i] = v.bulge;
  }
  if (widths_.empty() && points_.size() == 1) shared_ = {v.startWidth, v.endWidth};
  if (!widths_.empty() || !Same(v.startWidth, shared_.start) || !Same(v.endWidth, shared_.end)) {
    widths_.resize(points_.size(), shared_);
    widths_[i] = {v.startWidth, v.endWidth};
  }
}

bool operator==(const LwVertexList& a, const LwVertexList& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}

}  // namespace host::db
