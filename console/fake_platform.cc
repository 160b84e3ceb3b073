#include "console/fake_platform.h"

#include <algorithm>
#include <string>

namespace console {

bool FakePlatform::is_char_device(int fd) { return fd < 0 || fd > 2 || char_device[fd]; }

WriteResult FakePlatform::write(int fd, const char* data, std::size_t n) {
  std::string bytes(data, n);
  if (fd == kStdout && stdout_failure) {
    events.push_back({Event::write, fd, ""});
    return *stdout_failure;
  }
  events.push_back({Event::write, fd, bytes});
  (fd == kStderr ? err : out) += bytes;
  return WriteResult::ok;
}

bool FakePlatform::read(char* buffer, std::size_t n, std::size_t& count) {
  if (reads.empty()) {
    events.push_back({Event::read, 0, ""});
    count = 0;
    return !fail_reads_when_empty;
  }
  std::string& front = reads.front();
  count = std::min(n, front.size());
  std::copy_n(front.begin(), count, buffer);
  events.push_back({Event::read, 0, front.substr(0, count)});
  if (count == front.size()) {
    reads.pop_front();
  } else {
    front.erase(0, count);
  }
  return true;
}

void FakePlatform::exit_process(int32_t s) {
  status = s;
  events.push_back({Event::exit, 0, std::to_string(s)});
  throw Exit{s};
}

int FakePlatform::writes_to(int fd) const {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [fd](const Event& e) {
    return e.kind == Event::write && e.fd == fd;
  }));
}

}  // namespace console
