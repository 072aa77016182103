#pragma once
// The frame list: a chain of FrameNode records behind a head node that is not
// a frame. Frame k (from 1) is the k-th node after the head.
//
// The chain links (pNext, pPrev) are kept for the frame commands that walk
// it, and an index beside them makes lookup by position and append at the
// end O(1): playback looks a frame up at every tick and bulk commands append
// tens of thousands of frames.
//
// Frame texts are immutable strings shared by pointer: storing a text gives a
// node its own new string, so replacing one frame's text never changes
// another, while copies of one picture cost no extra bytes.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace document {

using FrameText = std::shared_ptr<const std::string>;

// A text holding a copy of the given bytes.
FrameText MakeFrameText(std::string text);
// The empty text (one shared instance).
const FrameText& EmptyFrameText();

struct FrameNode {
  FrameNode* pNext = nullptr;
  FrameNode* pPrev = nullptr;
  FrameText pText;  // null only in the head before the first append to an empty chain

  // The text as bytes; a node without text reads as empty.
  const std::string& Text() const;
};

class FrameList {
 public:
  FrameList() = default;
  FrameList(const FrameList&) = delete;
  FrameList& operator=(const FrameList&) = delete;

  FrameNode& Head() { return m_head; }
  const FrameNode& Head() const { return m_head; }

  // Number of frames in the chain (nodes after the head).
  std::size_t Size() const { return m_nodes.size(); }
  bool Empty() const { return m_nodes.empty(); }

  // The node for a selector position: -1 (or any negative) gives the head,
  // p gives frame p + 1. Positions past the end give null.
  FrameNode* At(int position);
  const FrameNode* At(int position) const;

  // The last frame, or the head when the chain is empty.
  FrameNode& Last();

  // Appends one frame with an empty text at the end of the chain.
  FrameNode& Append();
  // Appends one frame sharing the given text.
  FrameNode& Append(FrameText text);

  // Unlinks every frame: the head's successor becomes null. The head keeps
  // its own text slot.
  void Clear();

  // Removes the frames at positions [first, first + count) and relinks the
  // chain around them.
  void Erase(std::size_t first, std::size_t count);

 private:
  FrameNode m_head;
  std::vector<std::unique_ptr<FrameNode>> m_nodes;
};

}  // namespace document
