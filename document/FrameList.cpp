#include "document/FrameList.h"

#include <utility>

namespace document {

FrameText MakeFrameText(std::string text) {
  if (text.empty()) return EmptyFrameText();
  return std::make_shared<const std::string>(std::move(text));
}

const FrameText& EmptyFrameText() {
  static const FrameText empty = std::make_shared<const std::string>();
  return empty;
}

const std::string& FrameNode::Text() const {
  static const std::string none;
  return pText ? *pText : none;
}

FrameNode* FrameList::At(int position) {
  if (position < 0) return &m_head;
  auto p = static_cast<std::size_t>(position);
  return p < m_nodes.size() ? m_nodes[p].get() : nullptr;
}

const FrameNode* FrameList::At(int position) const {
  return const_cast<FrameList*>(this)->At(position);
}

FrameNode& FrameList::Last() { return m_nodes.empty() ? m_head : *m_nodes.back(); }

FrameNode& FrameList::Append() { return Append(EmptyFrameText()); }

FrameNode& FrameList::Append(FrameText text) {
  auto node = std::make_unique<FrameNode>();
  FrameNode& last = Last();
  node->pPrev = &last;
  node->pText = std::move(text);
  last.pNext = node.get();
  m_nodes.push_back(std::move(node));
  return *m_nodes.back();
}

void FrameList::Clear() {
  m_head.pNext = nullptr;
  m_nodes.clear();
}

void FrameList::Erase(std::size_t first, std::size_t count) {
  if (first >= m_nodes.size() || count == 0) return;
  if (count > m_nodes.size() - first) count = m_nodes.size() - first;
  FrameNode* before = first == 0 ? &m_head : m_nodes[first - 1].get();
  std::size_t end = first + count;
  FrameNode* after = end < m_nodes.size() ? m_nodes[end].get() : nullptr;
  before->pNext = after;
  if (after) after->pPrev = before;
  m_nodes.erase(m_nodes.begin() + static_cast<std::ptrdiff_t>(first),
                m_nodes.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace document
