#pragma once
// The frame list: the frames of an animation in order, behind a head node
// that is not a frame. Frame k (from 1) is the node at position k - 1; a
// selector position p stands for frame p + 1, and -1 (no selection) for the
// head, whose text slot holds what the edit area held when a frame was
// appended to an empty list.
//
// The nodes sit in one array: lookup by position is O(1), appending at the
// end amortised O(1), and inserting, erasing or moving a block anywhere
// costs one shift of the nodes after it (16 bytes a frame). The list is a
// value: copying it copies the nodes, never the pictures.
//
// Frame texts are immutable strings shared by pointer: storing a text gives a
// node its own new string, so replacing one frame's text never changes
// another, while copies of one picture cost no extra bytes.
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace document {

using FrameText = std::shared_ptr<const std::string>;

// A text holding a copy of the given bytes.
FrameText MakeFrameText(std::string text);
// The empty text (one shared instance).
const FrameText& EmptyFrameText();

struct FrameNode {
  FrameText pText;  // null only in the head before the first append to an empty list

  // The text as bytes; a node without text reads as empty.
  const std::string& Text() const;
};

class FrameList {
 public:
  using const_iterator = std::vector<FrameNode>::const_iterator;

  FrameNode& Head() { return m_head; }
  const FrameNode& Head() const { return m_head; }

  // Number of frames (nodes after the head).
  std::size_t Size() const { return m_nodes.size(); }
  bool Empty() const { return m_nodes.empty(); }

  // The node for a selector position: -1 (or any negative) gives the head,
  // p gives frame p + 1. Positions past the end give null. A node is that
  // frame only until the list next changes.
  FrameNode* At(int position);
  const FrameNode* At(int position) const;

  // The last frame, or the head when the list is empty.
  FrameNode& Last();
  const FrameNode& Last() const;

  // The frames in order (the head not among them).
  const_iterator begin() const { return m_nodes.begin(); }
  const_iterator end() const { return m_nodes.end(); }

  // Appends one frame with an empty text at the end.
  FrameNode& Append();
  // Appends one frame sharing the given text.
  FrameNode& Append(FrameText text);
  // Room for n frames in all, so the appends up to there never move nodes.
  void Reserve(std::size_t n) { m_nodes.reserve(n); }

  // Inserts count frames sharing text so that the first of them is at
  // position (Size() appends). A position past the end counts as the end.
  void Insert(std::size_t position, const FrameText& text, std::size_t count = 1);
  // Inserts the texts, in order, the first at position.
  void Insert(std::size_t position, std::span<const FrameText> texts);

  // Removes the frames at positions [first, first + count); the part of the
  // range past the end is ignored.
  void Erase(std::size_t first, std::size_t count);

  // Moves the block of count frames at first so that it starts at position
  // to of the list that results; the other frames keep their order. False,
  // with nothing changed, when the block or the target lies past the end
  // (to may be at most Size() - count).
  bool Move(std::size_t first, std::size_t count, std::size_t to);

  // The texts of the frames at [first, first + count), shared, not copied;
  // the part of the range past the end is left out.
  std::vector<FrameText> Texts(std::size_t first, std::size_t count) const;

  // Removes every frame. The head keeps its own text slot.
  void Clear() { m_nodes.clear(); }

 private:
  FrameNode m_head;
  std::vector<FrameNode> m_nodes;
};

}  // namespace document
