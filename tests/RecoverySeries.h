#pragma once
// A long random series of what a user does to an animation, through the
// document and its history as the window does it, for the recovery copy's
// tests: every command that changes frames, undo and redo, new properties,
// and text typed into the edit area without being stored.
#include <cstdint>
#include <random>
#include <string>

#include "document/Animation.h"
#include "document/AnimationDocument.h"
#include "document/FrameSteps.h"
#include "project/RecoveryCopy.h"

namespace recoveryseries {

// FNV-1a over everything the copy holds of a snapshot.
inline std::uint64_t Hash(const document::Animation& a) {
  std::uint64_t h = 1469598103934665603ull;
  const auto mix = [&](std::string_view bytes) {
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    h = (h ^ 0xFF) * 1099511628211ull;  // a separator no byte sequence forges
  };
  mix(a.m_strAnimName);
  mix(a.m_strColor);
  mix(std::to_string(a.m_nAnimWide) + "x" + std::to_string(a.m_nAnimHigh) + "@" +
      std::to_string(a.m_nRate) + "#" + std::to_string(a.FrameCount()));
  for (const document::FrameNode& node : a.m_frames) mix(node.Text());
  return h;
}

// The document being changed and what the edit area holds.
class Series {
 public:
  explicit Series(std::uint32_t seed) : m_random(seed) {
    m_doc.m_animation = document::DefaultAnimation();
    m_doc.m_bCreated = 1;
    m_doc.AppendBlankFrame("first");
  }

  document::AnimationDocument& Doc() { return m_doc; }
  int Shown() const { return m_shown; }
  const std::string& Typed() const { return m_typed; }
  // The snapshot the copy must read back as.
  document::Animation Snapshot() const {
    return output::RecoveryCopy::Snapshot(m_doc.m_animation, m_shown, m_typed);
  }

  // One thing the user does.
  void Step() {
    auto& frames = m_doc.m_animation.m_frames;
    const int n = m_doc.FrameCount();
    const int pick = Int(0, 19);
    const document::AreaPositions areas{n - 1, -1};
    switch (pick) {
      case 0:
      case 1:
      case 2:
      case 3:  // typing, most of the time
        m_typed = Picture();
        break;
      case 4:
        m_doc.AppendBlankFrame(m_typed, m_shown);
        break;
      case 5:
        m_doc.AppendCopiesOfLast(m_typed, Int(1, 30), m_shown);
        break;
      case 6:
        m_doc.StoreEditText(m_shown, m_typed);
        break;
      case 7: {  // the edit area moves on, keeping its text
        m_doc.KeepEditText(m_shown, m_typed);
        m_shown = n > 0 ? Int(0, n - 1) : -1;
        m_typed = m_doc.TextAt(m_shown);
        break;
      }
      case 8:
        if (m_doc.CanDeleteLastFrame()) m_doc.EraseLastFrames(Int(1, n - 1));
        break;
      case 9:
        m_doc.EraseBetween(Int(1, n), Int(1, n));
        break;
      case 10:
        if (m_doc.CanDeleteLastFrame()) m_doc.EraseFrameNumber(Int(1, n));
        break;
      case 11:
        Do(document::InsertBlankFrameStep(frames, Int(-1, n - 1), areas));
        break;
      case 12:
        Do(document::DuplicateFrameStep(frames, Int(0, n - 1), areas));
        break;
      case 13:
        Do(document::HoldFrameStep(frames, Int(0, n - 1), Int(1, 50), areas));
        break;
      case 14: {
        const int first = Int(0, n - 1), count = Int(1, n - first);
        Do(document::MoveFramesStep(frames, first, count, Int(0, n - count), areas));
        break;
      }
      case 15:
      case 16:
        m_doc.m_history.Undo(frames);
        break;
      case 17:
        m_doc.m_history.Redo(frames);
        break;
      case 18: {  // new properties
        m_doc.m_animation.m_strAnimName = "anim" + std::to_string(Int(0, 9));
        m_doc.m_animation.m_nRate = Int(1, 100);
        m_doc.m_animation.m_strColor = std::string(1, static_cast<char>('0' + Int(0, 9))) + "7";
        m_doc.m_animation.m_nAnimWide = Int(10, 100);
        break;
      }
      default:
        m_shown = Int(-1, n - 1);
        break;  // the edit area shows another frame
    }
    // The edit area never names a frame that is gone.
    if (m_shown >= m_doc.FrameCount()) m_shown = m_doc.FrameCount() - 1;
  }

 private:
  int Int(int low, int high) {
    if (high < low) return low;
    return std::uniform_int_distribution<int>(low, high)(m_random);
  }
  // A small picture, often a repeated one.
  std::string Picture() {
    std::string s = "p" + std::to_string(Int(0, 40));
    for (int line = Int(0, 6); line > 0; --line) s += "\r\n" + std::string(Int(0, 60), 'x');
    return s;
  }
  void Do(std::optional<document::Step> step) {
    if (step) m_doc.m_history.Do(m_doc.m_animation.m_frames, std::move(*step));
  }

  std::mt19937 m_random;
  document::AnimationDocument m_doc;
  int m_shown = 0;
  std::string m_typed = "first";
};

}  // namespace recoveryseries
