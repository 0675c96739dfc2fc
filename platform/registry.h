#ifndef VEXIL_PLATFORM_REGISTRY_H_
#define VEXIL_PLATFORM_REGISTRY_H_

#include <string>

/// The two trees of the registry that installers write to: the machine's and
/// the current user's.
enum class RegistryRoot { LocalMachine, CurrentUser };
/// The view of the registry a key is read in: this program's own, or the one
/// that 64-bit or 32-bit programs see (they differ below
/// HKEY_LOCAL_MACHINE\SOFTWARE on 64-bit Windows).
enum class RegistryView { Native, Bits64, Bits32 };

/// Read-only access to keys below HKEY_LOCAL_MACHINE: the four operations
/// that runtime discovery needs. Where there is no Windows registry, the host
/// implementation holds no key.
class Registry {
 public:
  /// An open key; only meaningful to the registry that opened it.
  using Key = void*;

  virtual ~Registry() = default;

  /// Opens the key at PATH (below HKEY_LOCAL_MACHINE, "\"-separated) for
  /// reading. False when it is absent or cannot be read.
  virtual bool openKey(const std::string& path, Key* key) = 0;

  /// Opens the key at PATH below ROOT, in VIEW, for reading. False when it is
  /// absent or cannot be read. openKey is this for the machine's tree in the
  /// program's own view.
  virtual bool openKeyIn(RegistryRoot root, RegistryView view, const std::string& path, Key* key) = 0;

  /// The name of the subkey at INDEX. False when there is none (the end of
  /// the enumeration) or it cannot be read.
  virtual bool enumerateSubkey(Key key, unsigned long index, std::string* name) = 0;

  /// The text of the value VALUE_NAME of KEY, up to its first NUL byte.
  /// False when the value is missing or cannot be read.
  virtual bool queryStringValue(Key key, const std::string& valueName, std::string* value) = 0;

  virtual void closeKey(Key key) = 0;
};

/// The registry of the running system.
Registry& hostRegistry();

#endif  // VEXIL_PLATFORM_REGISTRY_H_
