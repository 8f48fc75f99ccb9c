#include "shell/reg.h"

#include <algorithm>

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
const wchar_t kRecordKey[] = L"Talvern\\Replaced";

struct Place {
  KeyRoot root;
  std::wstring key;
  bool keep = false;  ///< a shared key the set found: never deleted by the removal.
};

// The distinct keys of the rows of `tables` that are Talvern's (`own`) or shared, the
// deepest first: the NT family deletes no key that has subkeys.
std::vector<Place> KeysOf(Tables tables, bool own) {
  std::vector<Place> keys;
  for (const Table& table : tables) {
    for (const Row& row : table) {
      const bool found = std::any_of(keys.begin(), keys.end(), [&](const Place& place) {
        return place.root == row.root && place.key == row.key;
      });
      if (!found && (row.owner == Owner::kTalvern) == own) keys.push_back({row.root, row.key});
    }
  }
  if (own) keys.push_back({kRecordRoot, kRecordKey});
  std::stable_sort(keys.begin(), keys.end(),
                   [](const Place& a, const Place& b) { return a.key.size() > b.key.size(); });
  return keys;
}

// How the record names a shared key the set found.
std::wstring FoundKey(const Place& place) { return KeyName(place.root, place.key) + L"\\"; }

}  // namespace

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
  if (!registry.KeyExists(kRecordRoot, kRecordKey)) {
    bool ok = journal.Set(kRecordRoot, kRecordKey, L"", L"", error);
    for (const Place& shared : KeysOf(tables, false)) {
      if (ok && registry.KeyExists(shared.root, shared.key)) {
        ok = journal.Set(kRecordRoot, kRecordKey, FoundKey(shared), L"", error);
      }
    }
    for (const Table& table : tables) {
      for (const Row& row : table) {
        RawValue old;
        if (!ok || row.owner != Owner::kShared || !row.name ||
            !registry.Get(row.root, row.key, row.name, &old) ||
            old == RawValue::Text(ValueOf(row, exe))) {
          continue;
        }
        ok = journal.Set(kRecordRoot, kRecordKey, ValueName(row.root, row.key, row.name), old,
                         error);
      }
    }
    if (!ok) return false;
  }
  for (const Table& table : tables) {
    for (const Row& row : table) {
      if (row.name && !journal.Set(row.root, row.key, row.name, ValueOf(row, exe), error)) {
        return false;
      }
    }
  }
  return true;
}

bool Remove(Registry& registry, Tables tables, Removal* done, std::wstring* error) {
  const bool recorded = registry.KeyExists(kRecordRoot, kRecordKey);
  bool ok = true;
  std::wstring reason;
  // True when `result` changed something; the first refusal goes to `error`.
  auto note = [&](RegResult result, const std::wstring& what) {
    done->any = done->any || result == RegResult::kOk;
    if (ok && result != RegResult::kOk && result != RegResult::kNotFound) {
      *error = what + L"\r\n" + reason;
      ok = false;
    }
    return result == RegResult::kOk;
  };
  RawValue value;
  for (const Table& table : tables) {
    for (const Row& row : table) {
      if (!row.name || row.owner == Owner::kTalvern) continue;
      const std::wstring what = ValueName(row.root, row.key, row.name);
      std::wstring now;
      if (row.owner == Owner::kValue) {
        note(registry.DeleteValue(row.root, row.key, row.name, &reason), what);
      } else if (registry.Get(row.root, row.key, row.name, &value) && value.GetText(&now) &&
                 now == row.text) {
        // Talvern's still: back to what the set replaced, or gone when it replaced nothing.
        const bool had = recorded && registry.Get(kRecordRoot, kRecordKey, what, &value);
        done->given_back |= note(had ? registry.Set(row.root, row.key, row.name, value, &reason)
                                     : registry.DeleteValue(row.root, row.key, row.name, &reason),
                                 what);
      } else if (!now.empty()) {
        done->other = now;
      }
    }
  }
  std::vector<Place> shared = KeysOf(tables, false);
  for (Place& place : shared) {
    place.keep = recorded && registry.Get(kRecordRoot, kRecordKey, FoundKey(place), &value);
  }
  for (const Place& own : KeysOf(tables, true)) {
    note(registry.DeleteKey(own.root, own.key, &reason), KeyName(own.root, own.key));
  }
  // A shared key this removal left empty only clutters the registry, unless it was there
  // before the set; without a record, only when something of Talvern's went.
  for (const Place& place : shared) {
    if (place.keep || !(recorded || done->any) || !registry.KeyIsEmpty(place.root, place.key)) {
      continue;
    }
    note(registry.DeleteKey(place.root, place.key, &reason), KeyName(place.root, place.key));
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
