// In-memory reader of the skin definition (an INI text).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/streams.h"

class TQuickIni : public TObject {
  NV_CLASS(TQuickIni)
 public:
  // Reads from the stream's position to its end and rebuilds the lists. A NUL byte ends
  // the text.
  void Load(TStream& stream);
  void LoadFromText(std::string_view text);

  // Line index of the header "[name]" (case ignored), or -1.
  int FindSection(std::string_view name) const;
  // Section names in file order, without brackets and trimmed. A null target is a
  // programming error (EAssertionFailed).
  void ReadSections(std::vector<std::string>* target) const;
  // The value of the first line of the section whose key matches (case ignored); an empty
  // value or a missing section or key gives the default.
  std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
  // Decimal, or hexadecimal with "0x"/"0X" or "$"; a leading minus allowed. Anything else
  // gives the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // True when the key is present with a non-empty value.
  bool ValueExists(std::string_view section, std::string_view key) const;

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  std::vector<std::pair<std::string, int>> headers_;  // "[name]" and its line index
};

// Parses an integer the way definition values are read; false when it is not a number.
bool ParseSkinInteger(std::string_view text, int32_t* value);

// The colour text rule: decimal digit runs are red, green and blue (each modulo 256);
// a component counts when a separator follows it, the third also at the end of the text;
// missing ones are 0. An empty text gives def. Result 0x00BBGGRR.
uint32_t ParseSkinColour(std::string_view text, uint32_t def);
