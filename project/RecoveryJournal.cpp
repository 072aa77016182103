#include "project/RecoveryJournal.h"

#include <sys/stat.h>

#include <array>
#include <unordered_map>
#include <utility>
#include <variant>

#include "document/AnimationDocument.h"

using document::Animation;
using document::FrameChange;
using document::FrameErase;
using document::FrameInsert;
using document::FrameList;
using document::FrameText;
using document::TextRun;
using document::TextRuns;

namespace output {

namespace {

constexpr std::string_view kFileMagic = "ZJH1";
constexpr std::string_view kRecordMagic = "ZJR1";
constexpr std::size_t kRecordHead = 4 + 8 + 4;

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutBytes(std::string& out, std::string_view bytes) {
  PutU64(out, bytes.size());
  out.append(bytes);
}

// Reads what PutU32/PutU64/PutBytes wrote; once anything is missing every
// later read fails too.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_rest(bytes) {}
  bool Ok() const { return m_ok; }
  bool AtEnd() const { return m_rest.empty(); }
  std::uint64_t U64() { return Le(8); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Le(4)); }
  std::string_view Bytes() {
    const std::uint64_t n = U64();
    if (!m_ok || n > m_rest.size()) return Fail();
    const std::string_view bytes = m_rest.substr(0, n);
    m_rest.remove_prefix(n);
    return bytes;
  }

 private:
  std::uint64_t Le(int n) {
    if (!m_ok || m_rest.size() < static_cast<std::size_t>(n)) return Fail(), 0;
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i)
      v |= std::uint64_t{static_cast<unsigned char>(m_rest[i])} << (8 * i);
    m_rest.remove_prefix(n);
    return v;
  }
  std::string_view Fail() {
    m_ok = false;
    m_rest = {};
    return {};
  }
  std::string_view m_rest;
  bool m_ok = true;
};

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

// The record's payload, decoded but not yet applied.
struct Decoded {
  std::string_view name, colour;
  int wide = 0, high = 0, rate = 0;
  std::vector<FrameText> texts;
  std::vector<JournalOp> ops;
  int typingPosition = -1;
  std::string_view typingText;
};

std::optional<Decoded> Decode(std::string_view payload) {
  Reader in(payload);
  Decoded d;
  d.name = in.Bytes();
  d.colour = in.Bytes();
  d.wide = static_cast<int>(in.U32());
  d.high = static_cast<int>(in.U32());
  d.rate = static_cast<int>(in.U32());
  d.typingPosition = static_cast<int>(in.U32());
  d.typingText = in.Bytes();
  const std::uint64_t texts = in.U64();
  for (std::uint64_t i = 0; in.Ok() && i < texts; ++i)
    d.texts.push_back(document::MakeFrameText(std::string(in.Bytes())));
  const std::uint64_t ops = in.U64();
  for (std::uint64_t i = 0; in.Ok() && i < ops; ++i) {
    JournalOp op;
    const std::uint32_t kind = in.U32();
    if (kind > static_cast<std::uint32_t>(JournalOp::Kind::kMove)) return std::nullopt;
    op.kind = static_cast<JournalOp::Kind>(kind);
    op.first = in.U64();
    op.count = in.U64();
    op.to = in.U64();
    const std::uint64_t runs = in.U64();
    for (std::uint64_t r = 0; in.Ok() && r < runs; ++r) {
      const std::uint64_t text = in.U64();
      const std::uint64_t count = in.U64();
      if (text >= d.texts.size()) return std::nullopt;
      op.runs.push_back(TextRun{d.texts[text], count});
    }
    d.ops.push_back(std::move(op));
  }
  if (!in.Ok() || !in.AtEnd()) return std::nullopt;
  return d;
}

// Whether the ops fit a list of n frames, one after the other, staying
// within the frame limit.
bool Fits(const std::vector<JournalOp>& ops, std::size_t n) {
  constexpr std::size_t kMax = document::kMaxFrames;
  for (const JournalOp& op : ops) {
    switch (op.kind) {
      case JournalOp::Kind::kSet:
        if (op.first >= n || op.runs.size() != 1 || op.runs[0].count != 1) return false;
        break;
      case JournalOp::Kind::kInsert: {
        if (op.first > n || op.count > kMax - n) return false;
        // Each run within what is left of the count: no sum wraps round.
        std::size_t sum = 0;
        for (const document::TextRun& run : op.runs) {
          if (run.count > op.count - sum) return false;
          sum += run.count;
        }
        if (sum != op.count) return false;
        n += op.count;
        break;
      }
      case JournalOp::Kind::kErase:
        if (op.first > n || op.count > n - op.first) return false;
        n -= op.count;
        break;
      case JournalOp::Kind::kMove:
        if (op.first > n || op.count > n - op.first || op.to > n - op.count) return false;
        break;
    }
  }
  return true;
}

void Apply(FrameList& frames, const JournalOp& op) {
  switch (op.kind) {
    case JournalOp::Kind::kSet:
      frames.At(static_cast<int>(op.first))->pText = op.runs[0].text;
      break;
    case JournalOp::Kind::kInsert: {
      std::size_t at = op.first;
      for (const TextRun& run : op.runs) {
        frames.Insert(at, run.text, run.count);
        at += run.count;
      }
      break;
    }
    case JournalOp::Kind::kErase:
      frames.Erase(op.first, op.count);
      break;
    case JournalOp::Kind::kMove:
      frames.Move(op.first, op.count, op.to);
      break;
  }
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  crc = ~crc;
  for (char ch : bytes) crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void JournalRecorder::Add(JournalOp op) {
  for (const TextRun& run : op.runs)
    if (run.text) m_textBytes += run.text->size();
  m_ops.push_back(std::move(op));
}

void JournalRecorder::Changed(const FrameList& frames, const FrameChange& change, bool applied) {
  using Kind = JournalOp::Kind;
  // Inserted frames are read from the list, where the change has just put
  // them; the head (a swap at -1) is no frame and is not kept.
  const auto inserted = [&](std::size_t first, std::size_t count) {
    JournalOp op{Kind::kInsert, first, count, 0, document::CollectRuns(frames, first, count)};
    Add(std::move(op));
    m_count += count;
  };
  if (const auto* swap = std::get_if<document::TextSwap>(&change)) {
    if (swap->position < 0) return;
    const document::FrameNode* node = frames.At(swap->position);
    if (!node) return;
    TextRuns runs;
    runs.push_back(TextRun{node->pText, 1});
    Add(JournalOp{Kind::kSet, static_cast<std::size_t>(swap->position), 1, 0, std::move(runs)});
  } else if (const auto* insert = std::get_if<FrameInsert>(&change)) {
    if (applied) {
      inserted(insert->position, insert->count);
    } else {
      Add(JournalOp{Kind::kErase, insert->position, insert->count, 0, {}});
      m_count -= insert->count;
    }
  } else if (const auto* erase = std::get_if<FrameErase>(&change)) {
    if (applied) {
      Add(JournalOp{Kind::kErase, erase->first, erase->count, 0, {}});
      m_count -= erase->count;
    } else {
      inserted(erase->first, erase->count);
    }
  } else if (const auto* move = std::get_if<document::BlockMove>(&change)) {
    if (applied)
      Add(JournalOp{Kind::kMove, move->first, move->count, move->to, {}});
    else
      Add(JournalOp{Kind::kMove, move->to, move->count, move->first, {}});
  }
}

void JournalRecorder::Reset(std::size_t count) {
  m_ops.clear();
  m_count = count;
  m_textBytes = 0;
  m_cleared = false;
}

std::vector<JournalOp> JournalRecorder::TakeOps() {
  m_textBytes = 0;
  return std::exchange(m_ops, {});
}

std::optional<JournalBase> JournalBaseOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  JournalBase base;
  base.device = static_cast<std::uint64_t>(st.st_dev);
  base.inode = static_cast<std::uint64_t>(st.st_ino);
  base.size = static_cast<std::uint64_t>(st.st_size);
  base.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return base;
}

std::string JournalHeader(const JournalBase& base) {
  std::string out(kFileMagic);
  PutU64(out, base.device);
  PutU64(out, base.inode);
  PutU64(out, base.size);
  PutU64(out, static_cast<std::uint64_t>(base.modified));
  return out;
}

std::string JournalRecord(const Animation& properties, const std::vector<JournalOp>& ops,
                          const JournalTyping& typing) {
  std::string payload;
  PutBytes(payload, properties.m_strAnimName);
  PutBytes(payload, properties.m_strColor);
  PutU32(payload, static_cast<std::uint32_t>(properties.m_nAnimWide));
  PutU32(payload, static_cast<std::uint32_t>(properties.m_nAnimHigh));
  PutU32(payload, static_cast<std::uint32_t>(properties.m_nRate));
  PutU32(payload, static_cast<std::uint32_t>(typing.position));
  PutBytes(payload, typing.text);
  // Each distinct text once (a null text is the empty one).
  std::unordered_map<const std::string*, std::uint64_t> index;
  std::vector<const std::string*> texts;
  for (const JournalOp& op : ops)
    for (const TextRun& run : op.runs) {
      const std::string* text = run.text ? run.text.get() : document::EmptyFrameText().get();
      if (index.emplace(text, texts.size()).second) texts.push_back(text);
    }
  PutU64(payload, texts.size());
  for (const std::string* text : texts) PutBytes(payload, *text);
  PutU64(payload, ops.size());
  for (const JournalOp& op : ops) {
    PutU32(payload, static_cast<std::uint32_t>(op.kind));
    PutU64(payload, op.first);
    PutU64(payload, op.count);
    PutU64(payload, op.to);
    PutU64(payload, op.runs.size());
    for (const TextRun& run : op.runs) {
      PutU64(payload, index.at(run.text ? run.text.get() : document::EmptyFrameText().get()));
      PutU64(payload, run.count);
    }
  }
  std::string record(kRecordMagic);
  record.reserve(kRecordHead + payload.size());
  PutU64(record, payload.size());
  PutU32(record, Crc32(payload));
  record += payload;
  return record;
}

JournalReplay ReplayJournal(std::string_view journal, const JournalBase& base,
                            Animation& animation) {
  JournalReplay replay;
  const std::string header = JournalHeader(base);
  if (!journal.starts_with(header)) return replay;
  replay.matched = true;
  journal.remove_prefix(header.size());
  std::optional<JournalTyping> typing;
  while (!journal.empty()) {
    Reader head(journal.substr(0, kRecordHead));
    if (!journal.starts_with(kRecordMagic)) break;
    head.U32();
    const std::uint64_t length = head.U64();
    const std::uint32_t crc = head.U32();
    if (!head.Ok() || length > journal.size() - kRecordHead) break;
    const std::string_view payload = journal.substr(kRecordHead, length);
    if (Crc32(payload) != crc) break;
    std::optional<Decoded> record = Decode(payload);
    if (!record || !Fits(record->ops, animation.m_frames.Size())) break;
    for (const JournalOp& op : record->ops) Apply(animation.m_frames, op);
    animation.m_strAnimName = record->name;
    animation.m_strColor = record->colour;
    animation.m_nAnimWide = record->wide;
    animation.m_nAnimHigh = record->high;
    animation.m_nRate = record->rate;
    typing = JournalTyping{record->typingPosition, std::string(record->typingText)};
    journal.remove_prefix(kRecordHead + length);
    ++replay.records;
  }
  replay.droppedTail = !journal.empty();
  if (typing && typing->position >= 0)
    if (document::FrameNode* node = animation.m_frames.At(typing->position))
      if (node->Text() != typing->text) node->pText = document::MakeFrameText(typing->text);
  return replay;
}

}  // namespace output
