#include "name_cache.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "name_database.hpp"
#include "stored_octets.hpp"
#include "table_layout.hpp"

namespace pellamar::names {

using namespace layout;

std::uint64_t cacheChecksum(std::string_view data) {
  constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15ULL;
  constexpr int Rotation = 31;
  constexpr std::size_t Lanes = 4;
  std::array<std::uint64_t, Lanes> lanes = {1, 2, 3, 4};
  std::size_t at = 0;
  for (; data.size() - at >= Lanes * sizeof(std::uint64_t); at += Lanes * sizeof(std::uint64_t)) {
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
      std::uint64_t word = 0;
      std::memcpy(&word, data.data() + at + lane * sizeof word, sizeof word);
      lanes[lane] = std::rotl(lanes[lane] ^ word, Rotation) * Multiplier;
    }
  }
  std::uint64_t sum = data.size();
  for (; at < data.size(); ++at) {
    sum = (sum ^ static_cast<std::uint8_t>(data[at])) * HashPrime;
  }
  for (const std::uint64_t lane : lanes) {
    sum = std::rotl(sum ^ lane, Rotation) * Multiplier;
  }
  return sum;
}

std::error_code NameDatabase::save(const std::string& path, std::string_view fingerprint) const {
  std::string out(CacheMagic);
  putValue(out, std::uint64_t{0});
  const std::size_t bodyStart = out.size();
  putText(out, fingerprint);
  putValue(out, static_cast<std::uint64_t>(sources_.size()));
  for (const NameSource& source : sources_) {
    putValue(out, source.kind);
    putValue(out, static_cast<std::uint64_t>(source.names));
    putText(out, source.path);
  }
  putValue(out, static_cast<std::uint64_t>(warnings_.size()));
  for (const std::string& warning : warnings_) {
    putText(out, warning);
  }
  putArray(out, table_);
  putArray(out, entryTable_);
  putArray(out, index_);
  putArray(out, filter_);
  putArray(out, nameIndex_);
  putArray(out, nameBuckets_);
  putArray(out, dottedFilter_);
  putArray(out, std::span<const char>(text_.data(), text_.size()));
  const std::uint64_t checksum = cacheChecksum(std::string_view(out).substr(bodyStart));
  std::memcpy(out.data() + CacheMagic.size(), &checksum, sizeof checksum);
  // Written aside and renamed, so that a reader never sees half a cache.
  const std::string temporary = path + ".new" + std::to_string(getpid());
  const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) {
    return {errno, std::generic_category()};
  }
  std::string_view left = out;
  while (!left.empty()) {
    const ssize_t written = ::write(descriptor, left.data(), left.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      const std::error_code error(written < 0 ? errno : ENOSPC, std::generic_category());
      close(descriptor);
      std::remove(temporary.c_str());
      return error;
    }
    left.remove_prefix(static_cast<std::size_t>(written));
  }
  if (close(descriptor) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::error_code error(errno, std::generic_category());
    std::remove(temporary.c_str());
    return error;
  }
  return {};
}

bool NameDatabase::load(const std::string& path, std::string_view fingerprint) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  struct stat status {};
  void* mapped = MAP_FAILED;
  if (fstat(descriptor, &status) == 0 && status.st_size > 0) {
    mapped = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ,
                  MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
  }
  close(descriptor);
  if (mapped == MAP_FAILED) {
    return false;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  std::shared_ptr<const void> mapping(
      mapped, [size](const void* start) { munmap(const_cast<void*>(start), size); });
  const std::string_view data(static_cast<const char*>(mapped), size);
  if (!data.starts_with(CacheMagic)) {
    return false;
  }
  StoredOctets in(data, CacheMagic.size());
  NameDatabase loaded;
  std::string_view text;
  std::uint64_t checksum = 0;
  std::uint64_t count = 0;
  if (!in.value(checksum) || !in.text(text) || text != fingerprint ||
      checksum != cacheChecksum(data.substr(CacheMagic.size() + sizeof checksum)) ||
      !in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    NameSource source{};
    std::uint64_t names = 0;
    if (!in.value(source.kind) || !knownKind(source.kind) || !in.value(names) ||
        !std::in_range<std::size_t>(names) || !in.text(text)) {
      return false;
    }
    source.names = static_cast<std::size_t>(names);
    source.path = text;
    loaded.sources_.push_back(std::move(source));
  }
  if (!in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    if (!in.text(text)) {
      return false;
    }
    loaded.warnings_.emplace_back(text);
  }
  std::span<const char> arena;
  if (!in.array(loaded.table_) || !in.array(loaded.entryTable_) || !in.array(loaded.index_) ||
      !in.array(loaded.filter_) || !in.array(loaded.nameIndex_) || !in.array(loaded.nameBuckets_) ||
      !in.array(loaded.dottedFilter_) || !in.array(arena) || !in.atEnd()) {
    return false;
  }
  loaded.text_ = {arena.data(), arena.size()};
  // A damaged cache must not lead a lookup out of the table.
  const auto inText = [&loaded](TextRef ref) {
    return ref.offset <= loaded.text_.size() && ref.size <= loaded.text_.size() - ref.offset;
  };
  // NotFound, the largest value, wraps to 0 when one is added.
  const auto entryOrNone = [&loaded](std::uint32_t entry) {
    return entry + 1U <= loaded.entryTable_.size();
  };
  for (const Record& record : loaded.table_) {
    if (record.source >= loaded.sources_.size() || !inText(record.contents) ||
        !inText(record.name) || !inText(record.module) || !inText(record.description) ||
        !inText(record.indexes)) {
      return false;
    }
  }
  for (const Entry& entry : loaded.entryTable_) {
    if (entry.first > loaded.table_.size() || entry.count > loaded.table_.size() - entry.first ||
        !inText(entry.arcs) || !inText(entry.contents) || entry.size > InlineOctets ||
        !entryOrNone(entry.nearest) || !entryOrNone(entry.owner) || !entryOrNone(entry.parent)) {
      return false;
    }
  }
  if (std::any_of(loaded.nameIndex_.begin(), loaded.nameIndex_.end(),
                  [&loaded](const NameKey& key) {
                    return key.record >= loaded.table_.size() || key.longName > 1;
                  }) ||
      loaded.nameBuckets_.size() != NameBuckets + 1 || loaded.nameBuckets_.front() != 0 ||
      loaded.nameBuckets_.back() != loaded.nameIndex_.size() ||
      !std::is_sorted(loaded.nameBuckets_.begin(), loaded.nameBuckets_.end())) {
    return false;
  }
  if (!std::has_single_bit(loaded.index_.size()) || loaded.filter_.size() != FilterBits / 64 ||
      loaded.dottedFilter_.size() != DottedFilterBits / 64 ||
      std::count(loaded.index_.begin(), loaded.index_.end(), std::uint64_t{0}) == 0 ||
      std::any_of(loaded.index_.begin(), loaded.index_.end(),
                  [&loaded](std::uint32_t slot) { return slot > loaded.entryTable_.size(); })) {
    return false;
  }
  loaded.mapping_ = std::move(mapping);
  *this = std::move(loaded);
  return true;
}

}  // namespace pellamar::names
