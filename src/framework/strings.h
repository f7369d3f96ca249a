// TStrings: a list of text lines, as components publish them ("Items", "Lines", a skin
// data component's class mapping). Lines of the form name=value can be read by name.
//
// Derived lists that mirror their lines elsewhere (a list box's window) override the
// Did… hooks, which run after each change of the lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/object.h"

class TStrings : public TObject {
  NV_CLASS(TStrings)
 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  int Count() const { return static_cast<int>(lines_.size()); }
  // Raise EListError ("List index out of bounds (%d)") for a bad index.
  const std::string& operator[](int i) const;
  const std::string& Strings(int i) const { return (*this)[i]; }
  void Put(int i, const std::string& s);
  int Add(const std::string& s);
  void Insert(int i, const std::string& s);  // 0 … Count()
  void Delete(int i);
  void Clear();
  void Assign(const std::vector<std::string>& lines);
  void Assign(const TStrings& other) { Assign(other.lines_); }
  const std::vector<std::string>& Lines() const { return lines_; }
  // The first line equal to s, case-insensitively; -1 when none.
  int IndexOf(const std::string& s) const;

  // All lines, each ended by CR LF; SetText splits at CR LF, LF or CR.
  std::string Text() const;
  void SetText(const std::string& text);

  // name=value lines: the text before the first "=", and after it.
  std::string Names(int i) const;
  std::string ValueFromIndex(int i) const;
  int IndexOfName(const std::string& name) const;     // case-insensitive; -1 when none
  std::string Values(const std::string& name) const;  // empty when there is no such line
  // Replaces the line of that name, adds one, or (empty value) deletes it.
  void SetValue(const std::string& name, const std::string& value);

  // Called after every change.
  std::function<void()> OnChange;

 protected:
  virtual void DidInsert(int index) {}
  virtual void DidDelete(int index) {}
  virtual void DidPut(int index) {}
  virtual void DidClear() {}
  // Around Assign and SetText, which replace every line.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}

 private:
  void CheckIndex(int i, int limit) const;
  void Changed();
  std::vector<std::string> lines_;
};
