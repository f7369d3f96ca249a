#include "exceptions/encode/octree.h"

#include <algorithm>

#include "exceptions/encode/errors.h"

namespace {
struct Node {
  uint64_t r = 0, g = 0, b = 0, count = 0;
  int32_t child[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int32_t nextReducible = -1;
  int16_t paletteIndex = -1;
  bool leaf = false;
};

constexpr int kDepth = 8;  // one level per bit of a colour channel

class Octree {
 public:
  explicit Octree(int maxColors) : maxColors_(maxColors) {
    nodes_.reserve(4096);
    nodes_.emplace_back();  // root, level 0
    reducible_[0] = 0;
  }

  void Add(uint32_t color, uint64_t weight) {
    int32_t n = 0;
    for (int level = 0;; ++level) {
      Node& node = nodes_[static_cast<size_t>(n)];
      if (node.leaf) {
        node.r += ((color >> 16) & 0xFF) * weight;
        node.g += ((color >> 8) & 0xFF) * weight;
        node.b += (color & 0xFF) * weight;
        node.count += weight;
        break;
      }
      int slot = childSlot(color, level);
      if (node.child[slot] < 0) {
        int32_t made = makeNode(level + 1);
        nodes_[static_cast<size_t>(n)].child[slot] = made;  // makeNode may move the vector
      }
      n = nodes_[static_cast<size_t>(n)].child[slot];
    }
    while (leaves_ > maxColors_) Reduce();
  }

  // Gives every leaf its palette entry, in tree order.
  int BuildPalette(std::array<uint32_t, 256>& palette) {
    int next = 0;
    assign(0, palette, next);
    return next;
  }

  uint8_t IndexOf(uint32_t color) const {
    int32_t n = 0;
    for (int level = 0; !nodes_[static_cast<size_t>(n)].leaf; ++level)
      n = nodes_[static_cast<size_t>(n)].child[childSlot(color, level)];
    return static_cast<uint8_t>(nodes_[static_cast<size_t>(n)].paletteIndex);
  }

 private:
  static int childSlot(uint32_t color, int level) {
    int shift = 7 - level;
    return int((color >> (16 + shift)) & 1) << 2 | int((color >> (8 + shift)) & 1) << 1 | int((color >> shift) & 1);
  }

  int32_t makeNode(int level) {
    int32_t id;
    if (!free_.empty()) {  // reuse merged-away nodes: a picture of millions of colours
      id = free_.back();   // would otherwise leave millions of dead nodes behind
      free_.pop_back();
      nodes_[static_cast<size_t>(id)] = Node();
    } else {
      id = static_cast<int32_t>(nodes_.size());
      nodes_.emplace_back();
    }
    Node& node = nodes_[static_cast<size_t>(id)];
    if (level == kDepth) {
      node.leaf = true;
      ++leaves_;
    } else {
      node.nextReducible = reducible_[level];
      reducible_[level] = id;
    }
    return id;
  }

  // Merges the children of the deepest reducible node (the most recently made one of its
  // level) into it, so that it becomes a leaf.
  void Reduce() {
    int level = kDepth - 1;
    while (level > 0 && reducible_[level] < 0) --level;
    int32_t id = reducible_[level];
    if (id < 0) return;  // cannot happen while leaves exceed the limit; keeps the loop finite
    Node& node = nodes_[static_cast<size_t>(id)];
    reducible_[level] = node.nextReducible;
    int merged = 0;
    for (int32_t& c : node.child) {
      if (c < 0) continue;
      const Node& ch = nodes_[static_cast<size_t>(c)];
      node.r += ch.r;
      node.g += ch.g;
      node.b += ch.b;
      node.count += ch.count;
      free_.push_back(c);
      c = -1;
      ++merged;
    }
    node.leaf = true;
    leaves_ -= merged - 1;
  }

  void assign(int32_t n, std::array<uint32_t, 256>& palette, int& next) {
    Node& node = nodes_[static_cast<size_t>(n)];
    if (node.leaf) {
      uint64_t c = std::max<uint64_t>(node.count, 1);
      uint32_t r = static_cast<uint32_t>((node.r + c / 2) / c), g = static_cast<uint32_t>((node.g + c / 2) / c),
               b = static_cast<uint32_t>((node.b + c / 2) / c);
      node.paletteIndex = static_cast<int16_t>(next);
      palette[static_cast<size_t>(next++)] = r << 16 | g << 8 | b;
      return;
    }
    for (int32_t c : node.child)
      if (c >= 0) assign(c, palette, next);
  }

  int maxColors_;
  int leaves_ = 0;
  std::vector<Node> nodes_;
  std::vector<int32_t> free_;
  int32_t reducible_[kDepth] = {-1, -1, -1, -1, -1, -1, -1, -1};
};
}  // namespace

TIndexedImage QuantizeOctree(const TBgraImage& image, int maxColors) {
  if (image.width <= 0 || image.height <= 0) throw EPngError("The picture has no pixels.");
  size_t count = size_t(image.width) * size_t(image.height);
  if (image.pixels.size() != count) throw EPngError("The picture's pixel buffer does not match its size.");
  maxColors = std::clamp(maxColors, 1, 256);

  Octree tree(maxColors);
  // Screenshots are mostly runs of one colour: add each run once, with its length as weight.
  for (size_t i = 0; i < count;) {
    uint32_t c = image.pixels[i] & 0xFFFFFF;
    size_t j = i + 1;
    while (j < count && (image.pixels[j] & 0xFFFFFF) == c) ++j;
    tree.Add(c, j - i);
    i = j;
  }

  TIndexedImage out;
  out.width = image.width;
  out.height = image.height;
  out.colorCount = tree.BuildPalette(out.palette);
  out.indices.resize(count);
  uint32_t last = image.pixels[0] & 0xFFFFFF;
  uint8_t lastIndex = tree.IndexOf(last);
  for (size_t i = 0; i < count; ++i) {
    uint32_t c = image.pixels[i] & 0xFFFFFF;
    if (c != last) {
      last = c;
      lastIndex = tree.IndexOf(c);
    }
    out.indices[i] = lastIndex;
  }
  return out;
}
