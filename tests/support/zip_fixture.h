// Zip archives made in the test, byte by byte: stored entries with their local headers, central directory and end record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fake {

inline std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint8_t>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A zip archive holding `entries` (name, content), stored without compression.
inline std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string archive;
  std::string directory;
  for (const auto& [name, content] : entries) {
    const std::uint32_t offset = static_cast<std::uint32_t>(archive.size());
    const std::uint32_t crc = Crc32(content);
    const auto size = static_cast<std::uint32_t>(content.size());
    const auto nameSize = static_cast<std::uint32_t>(name.size());
    PutLittleEndian(archive, 0x04034b50, 4);  // local file header
    PutLittleEndian(archive, 20, 2);          // version needed
    PutLittleEndian(archive, 0, 2);           // flags
    PutLittleEndian(archive, 0, 2);           // stored
    PutLittleEndian(archive, 0, 4);           // time and date
    PutLittleEndian(archive, crc, 4);
    PutLittleEndian(archive, size, 4);
    PutLittleEndian(archive, size, 4);
    PutLittleEndian(archive, nameSize, 2);
    PutLittleEndian(archive, 0, 2);
    archive += name + content;
    PutLittleEndian(directory, 0x02014b50, 4);  // central directory header
    PutLittleEndian(directory, 20, 2);          // made by
    PutLittleEndian(directory, 20, 2);          // needed
    PutLittleEndian(directory, 0, 2);
    PutLittleEndian(directory, 0, 2);
    PutLittleEndian(directory, 0, 4);
    PutLittleEndian(directory, crc, 4);
    PutLittleEndian(directory, size, 4);
    PutLittleEndian(directory, size, 4);
    PutLittleEndian(directory, nameSize, 2);
    PutLittleEndian(directory, 0, 2);  // extra
    PutLittleEndian(directory, 0, 2);  // comment
    PutLittleEndian(directory, 0, 2);  // disk
    PutLittleEndian(directory, 0, 2);  // internal attributes
    PutLittleEndian(directory, 0, 4);  // external attributes
    PutLittleEndian(directory, offset, 4);
    directory += name;
  }
  const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  PutLittleEndian(archive, 0x06054b50, 4);  // end of central directory
  PutLittleEndian(archive, 0, 2);
  PutLittleEndian(archive, 0, 2);
  PutLittleEndian(archive, static_cast<std::uint32_t>(entries.size()), 2);
  PutLittleEndian(archive, static_cast<std::uint32_t>(entries.size()), 2);
  PutLittleEndian(archive, static_cast<std::uint32_t>(directory.size()), 4);
  PutLittleEndian(archive, directoryOffset, 4);
  PutLittleEndian(archive, 0, 2);
  return archive;
}

// A small update archive: a folder of the program's files.
inline std::string UpdateArchive() {
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<char>(i * 7 % 256));
  return MakeZip({{"letterloom/README.txt", "Letterloom 2.1\r\n"}, {"letterloom/letterloom.bin", binary}});
}

}  // namespace fake
