#include "serial_port.h"

#include <cstdio>

namespace zevsim {

SerialPort::SerialPort() {
  readOv_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  writeOv_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

SerialPort::~SerialPort() {
  close();
  CloseHandle(readOv_.hEvent);
  CloseHandle(writeOv_.hEvent);
}

std::string SerialPort::lastError(const char* what) const {
  const DWORD code = GetLastError();
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string message = std::string(what) + ": error " + std::to_string(code);
  std::string detail = text;
  while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r' || detail.back() == ' '))
    detail.pop_back();
  return detail.empty() ? message : message + " (" + detail + ")";
}

bool SerialPort::open(const std::string& name, int baud, std::string& error) {
  close();
  const std::string path = "\\\\.\\" + name;
  handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OVERLAPPED, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    error = lastError(("cannot open " + name).c_str());
    return false;
  }
  SetupComm(handle_, 4096, 4096);
  COMMTIMEOUTS timeouts{};  // all zero: a read waits until its buffer is full
  bool ready = SetCommTimeouts(handle_, &timeouts);
  if (!ready) error = lastError("SetCommTimeouts");
  ready = ready && setBaud(baud, error);
  if (ready) PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
  ready = ready && armRead(error);
  if (!ready) {
    error = "cannot open " + name + ": " + error;
    close();
  }
  return ready;
}

bool SerialPort::setBaud(int baud, std::string& error) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    error = lastError("GetCommState");
    return false;
  }
  // 8N1 with no flow control of any kind: the device sends every byte value as it is.
  char mode[96];
  std::snprintf(mode, sizeof mode, "baud=%d parity=N data=8 stop=1 xon=off octs=off odsr=off idsr=off dtr=on rts=on",
                baud);
  if (!BuildCommDCBA(mode, &dcb)) {
    error = lastError("BuildCommDCB");
    return false;
  }
  dcb.fParity = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(handle_, &dcb)) {
    error = lastError("SetCommState");
    return false;
  }
  baud_ = baud;
  return true;
}

int SerialPort::rateAtPort() {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  return GetCommState(handle_, &dcb) ? static_cast<int>(dcb.BaudRate) : 0;
}

std::vector<DevicePort::Event> SerialPort::takeEvents() {
  std::vector<Event> events;
  if (handle_ == INVALID_HANDLE_VALUE) return events;
  const DWORD now = GetTickCount();
  if (rateSeen_ != 0 && now - lastLook_ < 10) return events;
  lastLook_ = now;
  const int rate = rateAtPort();
  if (rate > 0 && rate != rateSeen_) {
    if (rateSeen_ != 0) events.push_back({"rate seen at the port: " + std::to_string(rate) + " baud", 0});
    rateSeen_ = rate;
  }
  return events;
}

void SerialPort::close() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  CancelIo(handle_);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  ResetEvent(readOv_.hEvent);
  rateSeen_ = 0;
}

bool SerialPort::armRead(std::string& error) {
  ResetEvent(readOv_.hEvent);
  DWORD count = 0;
  if (ReadFile(handle_, &readByte_, 1, &count, &readOv_)) return true;  // the event is set too
  if (GetLastError() == ERROR_IO_PENDING) return true;
  error = lastError("ReadFile");
  return false;
}

SerialPort::Result SerialPort::collect(std::string& bytes, std::string& error) {
  if (handle_ == INVALID_HANDLE_VALUE) {
    error = "port closed";
    return Result::Gone;
  }
  DWORD count = 0;
  if (GetOverlappedResult(handle_, &readOv_, &count, FALSE)) {
    if (count == 1) bytes.push_back(static_cast<char>(readByte_));
  } else if (GetLastError() != ERROR_OPERATION_ABORTED) {
    error = lastError("read");
    return Result::Gone;
  }
  // What else has arrived is read at once: the bytes are there, the read completes.
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_, &errors, &status)) {
    error = lastError("ClearCommError");
    return Result::Gone;
  }
  if (status.cbInQue > 0) {
    std::string more(status.cbInQue, '\0');
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD got = 0;
    BOOL ok = ReadFile(handle_, &more[0], status.cbInQue, &got, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
      if (WaitForSingleObject(ov.hEvent, 1000) != WAIT_OBJECT_0) CancelIoEx(handle_, &ov);
      ok = GetOverlappedResult(handle_, &ov, &got, TRUE);
    }
    CloseHandle(ov.hEvent);
    if (!ok && GetLastError() != ERROR_OPERATION_ABORTED) {
      error = lastError("read");
      return Result::Gone;
    }
    bytes.append(more, 0, got);
  }
  return armRead(error) ? Result::Ok : Result::Gone;
}

SerialPort::Result SerialPort::write(const std::string& bytes, std::string& error) {
  if (handle_ == INVALID_HANDLE_VALUE) {
    error = "port closed";
    return Result::Gone;
  }
  ResetEvent(writeOv_.hEvent);
  DWORD written = 0;
  BOOL ok = WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &writeOv_);
  if (!ok && GetLastError() == ERROR_IO_PENDING) {
    // twice the time the bytes take on the line, and a second more
    const DWORD limit = 1000 + static_cast<DWORD>(bytes.size() * 20000 / baud_);
    if (WaitForSingleObject(writeOv_.hEvent, limit) != WAIT_OBJECT_0) CancelIoEx(handle_, &writeOv_);
    ok = GetOverlappedResult(handle_, &writeOv_, &written, TRUE);
  }
  if (!ok && GetLastError() != ERROR_OPERATION_ABORTED) {
    error = lastError("write");
    return Result::Gone;
  }
  if (written < bytes.size()) {
    error = "output stalled: " + std::to_string(written) + " of " + std::to_string(bytes.size()) +
            " bytes taken by the port";
    return Result::Stalled;
  }
  return Result::Ok;
}

}  // namespace zevsim
