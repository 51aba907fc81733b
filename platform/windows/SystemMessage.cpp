#include <memory>

#include "platform/windows/Win32.h"

namespace velkor::platform {

std::string SystemMessage(DWORD error) {
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  const std::unique_ptr<char, HLOCAL (*)(HLOCAL)> owner(buffer, &::LocalFree);
  std::string text = length > 0 ? std::string(buffer, length) : std::string();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "system error " + std::to_string(error) : text;
}

}  // namespace velkor::platform
