// Profile files hold a key per frame, so load + get all and set all + save
// must grow linearly with the key count. Each case sits beside a plain
// buffered write/read of the same bytes as the floor to compare against.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"

namespace {

namespace fs = std::filesystem;

std::string KeyName(int i) { return "Frame" + std::to_string(i); }

std::string Value(int i) {
  std::string v = std::to_string(i) + ":";
  while (v.size() < 100) v += "0123456789abcdef";
  v.resize(100);
  return v;
}

// A scratch folder holding one profile with n keys in a single section.
struct Fixture {
  fs::path dir;
  fs::path file;
  std::vector<std::string> keys;
  std::vector<std::string> values;
  std::string bytes;

  explicit Fixture(int n) {
    dir = fs::temp_directory_path() / ("zoetrix-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = dir / "project.ini";
    platform::ProfileFile p;
    for (int i = 0; i < n; ++i) {
      keys.push_back(KeyName(i));
      values.push_back(Value(i));
      p.SetString("Frames", keys.back(), values.back());
    }
    p.Save(file);
    bytes = p.Serialize();
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void BM_ProfileLoadGetAll(benchmark::State& state) {
  Fixture fx(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    platform::ProfileFile p;
    p.Load(fx.file);
    std::size_t total = 0;
    for (const auto& k : fx.keys) total += p.GetString("Frames", k, "").size();
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes.size()));
}

void BM_ProfileSetAllSave(benchmark::State& state) {
  Fixture fx(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    platform::ProfileFile p;
    p.Load(fx.file);
    for (std::size_t i = 0; i < fx.keys.size(); ++i)
      p.SetString("Frames", fx.keys[i], fx.values[i]);
    p.Save(fx.file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes.size()));
}

// Into one buffer of the file's size, allocated and touched before timing:
// a string grown piece by piece would make the yardstick slower.
void BM_PlainRead(benchmark::State& state) {
  Fixture fx(static_cast<int>(state.range(0)));
  std::vector<char> buf(fx.bytes.size() + 1);
  for (auto _ : state) {
    std::FILE* f = std::fopen(fx.file.c_str(), "rb");
    const std::size_t n = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes.size()));
}

// Unsynced (the yardstick) and with the fsync a profile save pays for.
void PlainWrite(benchmark::State& state, bool sync) {
  Fixture fx(static_cast<int>(state.range(0)));
  const fs::path out = fx.dir / "plain.ini";
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    std::fwrite(fx.bytes.data(), 1, fx.bytes.size(), f);
    std::fflush(f);
    if (sync) ::fsync(fileno(f));
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes.size()));
}
void BM_PlainWrite(benchmark::State& state) { PlainWrite(state, false); }
void BM_PlainWriteFsync(benchmark::State& state) { PlainWrite(state, true); }

}  // namespace

BENCHMARK(BM_ProfileLoadGetAll)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProfileSetAllSave)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteFsync)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
