// The vertices of a lightweight polyline.
//
// Imported drawings hold millions of these vertices, nearly all with no
// bulge and the same widths, so the list keeps x and y for each vertex and
// bulges and widths only once some vertex needs its own: 16 bytes a vertex
// where a list of whole vertices takes 40. Vertices are read and written as
// values (LwVertex); every value is kept exactly as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace host::db {

// A vertex of a lightweight polyline. A negative width takes the polyline's
// constant width.
struct LwVertex {
  double x = 0;
  double y = 0;
  double bulge = 0;
  double startWidth = 0;
  double endWidth = 0;
  friend bool operator==(const LwVertex&, const LwVertex&) = default;
};

class LwVertexList {
 public:
  LwVertexList() = default;
  LwVertexList(std::initializer_list<LwVertex> vertices) {
    Assign(vertices.begin(), vertices.end());
  }
  LwVertexList(const std::vector<LwVertex>& vertices) { Assign(vertices.begin(), vertices.end()); }
  LwVertexList& operator=(std::initializer_list<LwVertex> vertices) {
    Assign(vertices.begin(), vertices.end());
    return *this;
  }
  LwVertexList& operator=(const std::vector<LwVertex>& vertices) {
    Assign(vertices.begin(), vertices.end());
    return *this;
  }

  std::size_t size() const { return points_.size(); }
  bool empty() const { return points_.empty(); }
  LwVertex operator[](std::size_t i) const;
  LwVertex front() const { return (*this)[0]; }
  LwVertex back() const { return (*this)[size() - 1]; }

  void reserve(std::size_t n) { points_.reserve(n); }
  void clear();
  void push_back(const LwVertex& v);
  void pop_back();
  // Replaces vertex `i` (i < size()).
  void Set(std::size_t i, const LwVertex& v);
  // Calls `f(LwVertex&)` on each vertex in turn and keeps what it leaves.
  template <typename F>
  void Modify(F&& f) {
    for (std::size_t i = 0; i < size(); ++i) {
      LwVertex v = (*this)[i];
      f(v);
      Set(i, v);
    }
  }

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = LwVertex;
    using difference_type = std::ptrdiff_t;
    using pointer = const LwVertex*;
    using reference = LwVertex;
    const_iterator() = default;
    const_iterator(const LwVertexList* list, std::size_t at) : list_(list), at_(at) {}
    LwVertex operator*() const { return (*list_)[at_]; }
    const_iterator& operator++() {
      ++at_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator was = *this;
      ++at_;
      return was;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.at_ == b.at_;
    }

   private:
    const LwVertexList* list_ = nullptr;
    std::size_t at_ = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  std::vector<LwVertex> ToVector() const { return {begin(), end()}; }
  friend bool operator==(const LwVertexList& a, const LwVertexList& b);

 private:
  struct Point {
    double x;
    double y;
  };
  struct Widths {
    double start;
    double end;
  };
  template <typename It>
  void Assign(It first, It last) {
    clear();
    reserve(static_cast<std::size_t>(std::distance(first, last)));
    for (; first != last; ++first) push_back(*first);
  }

  std::vector<Point> points_;
  std::vector<double> bulges_;  // empty while every bulge is 0
  std::vector<Widths> widths_;  // empty while every vertex has shared_
  Widths shared_{0, 0};
};

}  // namespace host::db
