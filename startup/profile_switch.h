// Rewriting a profile's support path while another profile is current.
//
// The support path of the user's profile is rewritten in the registry while
// a temporary copy of that profile, "LWH_TMP_PROFILE", is current, and the
// user's profile is made current again afterwards. A ProfileSwitch holds the
// switch: on every way out, also when a step failed, it makes the user's
// profile current again and deletes the temporary profile.
#pragma once

#include <string>
#include <string_view>

inline constexpr wchar_t kTempProfileName[] = L"LWH_TMP_PROFILE";
inline constexpr wchar_t kTempProfileDescription[] = L"Temporary profile delete if found";

class ProfileSwitch {
 public:
  explicit ProfileSwitch(std::wstring profileName) : profile_(std::move(profileName)) {}
  ~ProfileSwitch() { (void)Restore(); }
  ProfileSwitch(const ProfileSwitch&) = delete;
  ProfileSwitch& operator=(const ProfileSwitch&) = delete;

  // Fills `profileKey` with the profile's registry key ("HKEY_CURRENT_USER\...")
  // and makes a fresh temporary copy of the profile current (a leftover of an
  // earlier run is deleted first). False with `profileKey` empty when the
  // profile has no key; false with the key filled when the copy could not be
  // made current.
  bool SwitchToTempProfile(std::wstring* profileKey);

  // Makes the user's profile current again and deletes the temporary
  // profile unless another session's switch has made it current since (that
  // session makes the user's profile current again when it is done). True
  // when the user's profile was made current (or nothing was switched).
  [[nodiscard]] bool Restore();

 private:
  std::wstring profile_;
  bool switched_ = false;
};

// The key below the current user's root that holds a profile's support
// path: the profile's key text without the root's name and its separator,
// followed by "\General". Empty when the text does not begin with the root.
std::wstring SupportPathSubkey(std::wstring_view profileKey);

// Reads the value "ACAD" of `subkey`; false when the key or value is missing.
bool ReadProfileSupportPath(std::wstring* value, std::wstring_view subkey);
// Sets the value "ACAD" of `subkey` to `value` in one step (the old value
// stays until the new one replaces it); false when the key is missing or
// the store could not keep the change, in which case the old value is put
// back.
[[nodiscard]] bool WriteProfileSupportPath(std::wstring_view value, std::wstring_view subkey);
