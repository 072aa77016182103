#include "document/FrameList.h"

#include <algorithm>
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
  return p < m_nodes.size() ? &m_nodes[p] : nullptr;
}

const FrameNode* FrameList::At(int position) const {
  return const_cast<FrameList*>(this)->At(position);
}

FrameNode& FrameList::Last() { return m_nodes.empty() ? m_head : m_nodes.back(); }
const FrameNode& FrameList::Last() const { return m_nodes.empty() ? m_head : m_nodes.back(); }

FrameNode& FrameList::Append() { return Append(EmptyFrameText()); }

FrameNode& FrameList::Append(FrameText text) {
  m_nodes.push_back(FrameNode{std::move(text)});
  return m_nodes.back();
}

void FrameList::Insert(std::size_t position, const FrameText& text, std::size_t count) {
  position = std::min(position, m_nodes.size());
  m_nodes.insert(m_nodes.begin() + static_cast<std::ptrdiff_t>(position), count, FrameNode{text});
}

void FrameList::Insert(std::size_t position, std::span<const FrameText> texts) {
  position = std::min(position, m_nodes.size());
  std::vector<FrameNode> nodes;
  nodes.reserve(texts.size());
  for (const FrameText& text : texts) nodes.push_back(FrameNode{text});
  m_nodes.insert(m_nodes.begin() + static_cast<std::ptrdiff_t>(position),
                 std::make_move_iterator(nodes.begin()), std::make_move_iterator(nodes.end()));
}

void FrameList::Erase(std::size_t first, std::size_t count) {
  if (first >= m_nodes.size() || count == 0) return;
  count = std::min(count, m_nodes.size() - first);
  m_nodes.erase(m_nodes.begin() + static_cast<std::ptrdiff_t>(first),
                m_nodes.begin() + static_cast<std::ptrdiff_t>(first + count));
}

bool FrameList::Move(std::size_t first, std::size_t count, std::size_t to) {
  const std::size_t n = m_nodes.size();
  if (first > n || count > n - first || to > n - count) return false;
  auto at = [&](std::size_t i) { return m_nodes.begin() + static_cast<std::ptrdiff_t>(i); };
  if (to < first)
    std::rotate(at(to), at(first), at(first + count));
  else if (to > first)
    std::rotate(at(first), at(first + count), at(to + count));
  return true;
}

std::vector<FrameText> FrameList::Texts(std::size_t first, std::size_t count) const {
  std::vector<FrameText> texts;
  if (first >= m_nodes.size()) return texts;
  count = std::min(count, m_nodes.size() - first);
  texts.reserve(count);
  for (std::size_t i = first; i < first + count; ++i) texts.push_back(m_nodes[i].pText);
  return texts;
}

}  // namespace document
