#include "document/History.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace document {

namespace {

std::size_t StepBytes(const Step& step) {
  std::size_t bytes =
      step.changes.empty() ? 0 : HeapBlockBytes(step.changes.capacity() * sizeof(FrameChange));
  for (const FrameChange& change : step.changes) {
    const TextRuns* runs = nullptr;
    if (const auto* insert = std::get_if<FrameInsert>(&change)) runs = &insert->runs;
    if (const auto* erase = std::get_if<FrameErase>(&change)) runs = &erase->runs;
    if (runs && runs->capacity() > 0) bytes += HeapBlockBytes(runs->capacity() * sizeof(TextRun));
  }
  return bytes;
}

template <typename Visit>
void ForEachStepText(const Step& step, Visit&& visit) {
  for (const FrameChange& change : step.changes) ForEachHeldText(change, visit);
}

}  // namespace

std::size_t HeapBlockBytes(std::size_t n) {
  return std::max<std::size_t>(32, (n + sizeof(std::size_t) + 15) & ~std::size_t{15});
}

std::size_t FrameTextBytes(const std::string& text) {
  // The shared owner: its counts and vtable pointer, with the string in it.
  std::size_t bytes = HeapBlockBytes(sizeof(std::string) + 2 * sizeof(void*));
  const auto data = reinterpret_cast<std::uintptr_t>(text.data());
  const auto self = reinterpret_cast<std::uintptr_t>(&text);
  const bool inside = data >= self && data < self + sizeof(std::string);
  if (!inside) bytes += HeapBlockBytes(text.capacity() + 1);
  return bytes;
}

// Every change applied in order; on a change that does not fit, the ones
// before it are taken back.
bool History::ApplyAll(FrameList& frames, Step& step) {
  for (std::size_t i = 0; i < step.changes.size(); ++i) {
    if (ApplyChange(frames, step.changes[i])) {
      Tell(frames, step.changes[i], true);
      continue;
    }
    while (i-- > 0)
      if (UndoChange(frames, step.changes[i])) Tell(frames, step.changes[i], false);
    return false;
  }
  return true;
}

bool History::UndoAll(FrameList& frames, Step& step) {
  const std::size_t n = step.changes.size();
  for (std::size_t i = n; i-- > 0;) {
    if (UndoChange(frames, step.changes[i])) {
      Tell(frames, step.changes[i], false);
      continue;
    }
    for (std::size_t j = i + 1; j < n; ++j)
      if (ApplyChange(frames, step.changes[j])) Tell(frames, step.changes[j], true);
    return false;
  }
  return true;
}

History::History(HistoryLimits limits) : m_limits(limits) {}

History::History(History&& other) noexcept
    : m_limits(other.m_limits),
      m_steps(std::move(other.m_steps)),
      m_done(other.m_done),
      m_held(std::move(other.m_held)),
      m_stepBytes(other.m_stepBytes),
      m_textBytes(other.m_textBytes) {
  other.Clear();
}

History& History::operator=(History&& other) noexcept {
  if (this == &other) return *this;
  m_limits = other.m_limits;
  m_steps = std::move(other.m_steps);
  m_done = other.m_done;
  m_held = std::move(other.m_held);
  m_stepBytes = other.m_stepBytes;
  m_textBytes = other.m_textBytes;
  other.Clear();
  return *this;
}

History::~History() = default;

void History::Hold(Entry& entry) {
  ForEachStepText(entry.step, [&](const FrameText& text) {
    Held& held = m_held[text.get()];
    if (!held.text) held.text = text;
    ++held.refs;
  });
  entry.bytes = sizeof(Entry) + StepBytes(entry.step);
  m_stepBytes += entry.bytes;
}

void History::Release(Entry& entry, Touched& touched) {
  ForEachStepText(entry.step, [&](const FrameText& text) {
    --m_held[text.get()].refs;
    touched.push_back(text.get());
  });
  m_stepBytes -= entry.bytes;
  entry.bytes = 0;
}

void History::Forget(const Touched& touched) {
  for (const std::string* key : touched) {
    auto it = m_held.find(key);
    if (it == m_held.end() || it->second.refs > 0) continue;
    m_textBytes -= it->second.bytes;
    m_held.erase(it);
  }
  if (m_held.empty()) std::unordered_map<const std::string*, Held>().swap(m_held);
}

void History::Recount() {
  m_textBytes = 0;
  for (auto& [key, held] : m_held) {
    // Held by the steps and the table alone: nobody else holds it.
    const bool onlyHere = static_cast<std::size_t>(held.text.use_count()) == held.refs + 1;
    held.bytes = onlyHere ? FrameTextBytes(*key) : 0;
    m_textBytes += held.bytes;
  }
}

bool History::Run(FrameList& frames, Entry& entry, bool forward) {
  Touched touched;
  Release(entry, touched);
  const bool ok = forward ? ApplyAll(frames, entry.step) : UndoAll(frames, entry.step);
  Hold(entry);
  Forget(touched);
  Recount();
  return ok;
}

bool History::Do(FrameList& frames, Step step) {
  const std::size_t before = frames.Size();
  if (!ApplyAll(frames, step)) return false;
  DropRedo();
  m_steps.push_back(Entry{std::move(step), before, frames.Size(), 0});
  m_done = m_steps.size();
  Hold(m_steps.back());
  Recount();
  KeepWithinLimits();
  return true;
}

std::optional<AreaPositions> History::Undo(FrameList& frames) {
  if (!CanUndo()) return std::nullopt;
  Entry& entry = m_steps[m_done - 1];
  if (frames.Size() != entry.framesAfter || !Run(frames, entry, false)) {
    Clear();
    return std::nullopt;
  }
  --m_done;
  const AreaPositions at = entry.step.before;
  KeepWithinLimits();
  return at;
}

std::optional<AreaPositions> History::Redo(FrameList& frames) {
  if (!CanRedo()) return std::nullopt;
  Entry& entry = m_steps[m_done];
  if (frames.Size() != entry.framesBefore || !Run(frames, entry, true)) {
    Clear();
    return std::nullopt;
  }
  ++m_done;
  const AreaPositions at = entry.step.after;
  KeepWithinLimits();
  return at;
}

std::optional<StepKind> History::NextUndo() const {
  if (!CanUndo()) return std::nullopt;
  return m_steps[m_done - 1].step.kind;
}

std::optional<StepKind> History::NextRedo() const {
  if (!CanRedo()) return std::nullopt;
  return m_steps[m_done].step.kind;
}

const char* History::UndoName() const { return CanUndo() ? StepName(*NextUndo()) : ""; }
const char* History::RedoName() const { return CanRedo() ? StepName(*NextRedo()) : ""; }

void History::Clear() {
  if (m_watcher) m_watcher->Cleared();
  std::deque<Entry>().swap(m_steps);
  std::unordered_map<const std::string*, Held>().swap(m_held);
  m_done = 0;
  m_stepBytes = 0;
  m_textBytes = 0;
}

std::size_t History::RecordBytes() const {
  // A table entry is a node (the next pointer and the pair) and a bucket.
  const std::size_t node =
      HeapBlockBytes(sizeof(void*) + sizeof(std::pair<const std::string* const, Held>));
  const std::size_t table =
      m_held.empty() ? 0 : m_held.bucket_count() * sizeof(void*) + m_held.size() * node;
  return m_stepBytes + table;
}

void History::DropOldest() {
  Touched touched;
  if (m_done > 0) {
    Release(m_steps.front(), touched);
    m_steps.pop_front();
    --m_done;
  } else {
    Release(m_steps.back(), touched);
    m_steps.pop_back();
  }
  Forget(touched);
}

void History::DropRedo() {
  Touched touched;
  while (m_steps.size() > m_done) {
    Release(m_steps.back(), touched);
    m_steps.pop_back();
  }
  Forget(touched);
}

void History::KeepWithinLimits() {
  while (m_steps.size() > m_limits.steps) DropOldest();
  while (!m_steps.empty() && Bytes() > m_limits.bytes) DropOldest();
}

}  // namespace document
