#include "shell/reg.h"

#include <algorithm>
#include <cstdint>

#include "platform/paths.h"

namespace talvern {
namespace reg {

std::wstring KeyName(KeyRoot root, const std::wstring& key) {
  switch (root) {
    case KeyRoot::kClasses:
    case KeyRoot::kClasses64:
    case KeyRoot::kClasses32:
      return L"HKEY_CLASSES_ROOT\\" + key;
    case KeyRoot::kMachineClasses:
      return L"HKEY_LOCAL_MACHINE\\Software\\Classes\\" + key;
    case KeyRoot::kUserClasses:
      return L"HKEY_CURRENT_USER\\Software\\Classes\\" + key;
    case KeyRoot::kUserSoftware:
      return L"HKEY_CURRENT_USER\\Software\\" + key;
  }
  return key;
}

bool DefaultText(Registry& registry, KeyRoot root, const std::wstring& key, std::wstring* text) {
  RawValue value;
  return registry.Get(root, key, L"", &value) && value.GetText(text);
}

std::wstring ValueName(KeyRoot root, const std::wstring& key, const std::wstring& name) {
  return name.empty() ? KeyName(root, key) : KeyName(root, key) + L" (" + name + L")";
}

void Journal::Remember(KeyRoot root, const std::wstring& key, const std::wstring& name) {
  Value value{root, key, name, false, RawValue()};
  value.existed = registry_.Get(root, key, name, &value.old);
  values_.push_back(value);
  for (std::size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
    const std::wstring part = key.substr(0, end);
    const bool known = std::any_of(created_.begin(), created_.end(), [&](const Key& created) {
      return created.root == root && created.key == part;
    });
    if (!known && !registry_.KeyExists(root, part)) created_.push_back({root, part});
    if (end == std::wstring::npos) break;
  }
}

bool Journal::Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                  const RawValue& value, std::wstring* error) {
  Remember(root, key, name);
  std::wstring reason;
  if (registry_.Set(root, key, name, value, &reason) == RegResult::kOk) {
    return true;
  }
  *error = ValueName(root, key, name) + L"\r\n" + reason;
  return false;
}

bool Journal::Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                  const std::wstring& value, std::wstring* error) {
  return Set(root, key, name, RawValue::Text(value), error);
}

void Journal::Undo(std::wstring* error) {
  std::wstring reason;
  for (auto value = values_.rbegin(); value != values_.rend(); ++value) {
    // A value still as it was needs no write (the refused write that started the undo).
    RawValue now;
    const bool exists = registry_.Get(value->root, value->key, value->name, &now);
    if (exists == value->existed && (!exists || now == value->old)) continue;
    const RegResult result =
        value->existed ? registry_.Set(value->root, value->key, value->name, value->old, &reason)
                       : registry_.DeleteValue(value->root, value->key, value->name, &reason);
    if (result == RegResult::kOk || result == RegResult::kNotFound) continue;
    *error += L"\r\n元に戻せなかった設定: " + ValueName(value->root, value->key, value->name);
  }
  for (auto key = created_.rbegin(); key != created_.rend(); ++key) {
    const RegResult result = registry_.DeleteKey(key->root, key->key, &reason);
    if (result != RegResult::kOk && result != RegResult::kNotFound) {
      *error += L"\r\n元に戻せなかった設定: " + KeyName(key->root, key->key);
    }
  }
  values_.clear();
  created_.clear();
}

namespace {

// Where a set records what it replaced: in Talvern's own key, which goes with the removal.
constexpr KeyRoot kRecordRoot = KeyRoot::kUserSoftware;

}  // namespace

const wchar_t kRecordKey[] = L"Talvern\\Replaced";

bool Present(Registry& registry, const Table& table) {
  return std::any_of(table.begin(), table.end(), [&](const Row& row) {
    return row.owner == Owner::kTalvern && registry.KeyExists(row.root, row.key);
  });
}

std::wstring ValueOf(const Row& row, const std::wstring& exe) {
  if (row.data == Data::kCommand) return CommandValue(exe);
  return row.data == Data::kIcon ? IconValue(exe) : row.text;
}

bool Install(Journal& journal, Tables tables, const std::wstring& exe, std::wstring* error) {
  Registry& registry = journal.registry();
  const std::wstring record = kRecordKey;
  const bool first = !registry.KeyExists(kRecordRoot, record);
  bool ok = !first || journal.Set(kRecordRoot, record, L"", L"", error);
  // The record first: the shared keys found, the shared values replaced; then every row.
  for (int pass = first ? 0 : 1; ok && pass != 2; ++pass) {
    for (const Table& table : tables) {
      for (const Row& row : table) {
        if (!ok || (pass == 0 ? row.owner == Owner::kTalvern : !row.name)) continue;
        const std::wstring key = row.key;
        RawValue old;
        if (pass == 0 && registry.KeyExists(row.root, key)) {
          ok = journal.Set(kRecordRoot, record, KeyName(row.root, key) + L"\\", L"", error);
        }
        if (!ok || !row.name) continue;
        const std::wstring name = row.name, value = ValueOf(row, exe);
        if (pass == 1) {
          ok = journal.Set(row.root, key, name, value, error);
        } else if (row.owner == Owner::kShared && registry.Get(row.root, key, name, &old) &&
                   !(old == RawValue::Text(value))) {
          ok = journal.Set(kRecordRoot, record, ValueName(row.root, key, name), old, error);
        }
      }
    }
  }
  return ok;
}

bool Remove(Registry& registry, Tables tables, Removal* done, std::wstring* error) {
  const std::wstring record = kRecordKey;
  const bool recorded = registry.KeyExists(kRecordRoot, record);
  bool ok = true;
  std::wstring reason;
  // True when `result` changed something; the first refusal goes to `error`.
  auto note = [&](RegResult result, const Row& row, const std::wstring& what) {
    done->any = done->any || result == RegResult::kOk;
    if (ok && result != RegResult::kOk && result != RegResult::kNotFound) {
      *error = (what.empty() ? KeyName(row.root, row.key) : what) + L"\r\n" + reason;
      ok = false;
    }
    return result == RegResult::kOk;
  };
  RawValue value;
  std::uint32_t found = 0;  // the shared keys the set found, a bit each in row order
  std::uint32_t bit = 1;
  for (const Table& table : tables) {
    for (const Row& row : table) {
      if (row.owner == Owner::kTalvern) continue;
      const std::wstring key = row.key;
      if (recorded && registry.Get(kRecordRoot, record, KeyName(row.root, key) + L"\\", &value)) {
        found |= bit;
      }
      bit <<= 1;
      if (!row.name) continue;
      const std::wstring name = row.name, what = ValueName(row.root, key, name);
      // Talvern's value goes; a shared one only while it is still Talvern's, given back as
      // the set found it (gone when there was none).
      bool ours = row.owner == Owner::kValue;
      std::wstring now;
      if (!ours && registry.Get(row.root, key, name, &value) && value.GetText(&now)) {
        ours = now == row.text;
        if (!ours && !now.empty()) done->other = now;
      }
      if (!ours) continue;
      const bool had = row.owner == Owner::kShared && recorded &&
                       registry.Get(kRecordRoot, record, what, &value);
      const bool went = note(had ? registry.Set(row.root, key, name, value, &reason)
                                 : registry.DeleteValue(row.root, key, name, &reason),
                             row, what);
      if (row.owner == Owner::kShared) done->given_back |= went;
    }
  }
  // Talvern's keys, the record among them, children before parents: the last row first.
  for (auto table = tables.end(); table-- != tables.begin();) {
    for (const Row* row = table->end(); row-- != table->begin();) {
      if (row->owner == Owner::kTalvern) {
        note(registry.DeleteKey(row->root, row->key, &reason), *row, std::wstring());
      }
    }
  }
  // A shared key this removal left empty only clutters the registry, unless it was there
  // before the set; without a record, only when something of Talvern's went.
  bit = 1;
  for (const Table& table : tables) {
    for (const Row& row : table) {
      if (row.owner == Owner::kTalvern) continue;
      const bool keep = (found & bit) != 0 || !(recorded || done->any);
      bit <<= 1;
      if (!keep && registry.KeyIsEmpty(row.root, row.key)) {
        note(registry.DeleteKey(row.root, row.key, &reason), row, std::wstring());
      }
    }
  }
  return ok;
}

std::wstring CommandValue(const std::wstring& exe) {
  // Quoted, or "C:\Program Files\..." would let C:\Program.exe run; %1 stays bare because
  // the start-up joins the pieces of a path with spaces again.
  return L"\"" + exe + L"\" %1";
}

std::wstring IconValue(const std::wstring& exe) { return L"\"" + exe + L"\",0"; }

std::wstring NamedExecutable(const std::wstring& text) {
  if (text.size() < 2 || text[0] != L'"') return L"";
  const std::size_t close = text.find(L'"', 1);
  if (close == std::wstring::npos) return L"";
  const std::wstring exe = text.substr(1, close - 1);
  if (text != CommandValue(exe) && text != IconValue(exe)) return L"";
  // A full path only: a relative one would be looked up wherever the shell happens to be.
  const bool full = IsFullPath(exe) && exe.size() > 4;
  return full && SamePathText(exe.substr(exe.size() - 4), L".exe") ? exe : L"";
}

const wchar_t kSelectionModel[] = L"MultiSelectModel";
const wchar_t kPlayer[] = L"Player";

}  // namespace reg
}  // namespace talvern
