// Byte streams of the core library: the abstract input and output streams,
// the little-endian binary streams over them, memory and file streams, and a
// text stream that writes strings in a chosen encoding.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sstring.h"
#include "win/windef.h"

class SBlob;

namespace SAbstractIO {
// Reads bytes; answers how many it has left.
class SIOCharReader {
 public:
  virtual ~SIOCharReader() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // The number of bytes that can still be read.
  virtual std::size_t GetAvailable() const = 0;
};
// A reader that can go back to a position it marked.
class SIOMarkableCharReader : public SIOCharReader {
 public:
  virtual std::size_t GetPosition() const = 0;
  // Moves to a position at or before the end; false when it is beyond.
  virtual bool SetPosition(std::size_t position) = 0;
};
class SIOCharWriter {
 public:
  virtual ~SIOCharWriter() = default;
  virtual void Write(const void* data, std::size_t count) = 0;
  virtual void Flush() {}
};
}  // namespace SAbstractIO

class SInputStream : public SAbstractIO::SIOMarkableCharReader {};
class SOutputStream : public SAbstractIO::SIOCharWriter {};

// Fixed texts of the end-of-stream exceptions of the binary reads.
#define KV_SSTREAM_FILE "core/h/sstream"
#define KV_SSTREAM_FN_BYTE "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(unsigned char &)"
#define KV_SSTREAM_FN_LONG "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(long &)"
#define KV_SSTREAM_FN_ULONG "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(unsigned long &)"
#define KV_SSTREAM_LINE_BYTE 1218
#define KV_SSTREAM_LINE_LONG 1220
#define KV_SSTREAM_LINE_ULONG 1221

// Little-endian reads over another input stream. Every read that cannot be
// completed throws SEEOFException; bytes before the end are consumed.
class SInputBinaryStream : public SInputStream {
 public:
  explicit SInputBinaryStream(SInputStream& in) : m_in(in) {}

  std::size_t Read(void* buffer, std::size_t count) override { return m_in.Read(buffer, count); }
  std::size_t GetAvailable() const override { return m_in.GetAvailable(); }
  std::size_t GetPosition() const override { return m_in.GetPosition(); }
  bool SetPosition(std::size_t position) override { return m_in.SetPosition(position); }

  SInputBinaryStream& operator>>(BYTE& v);
  SInputBinaryStream& operator>>(char& v);
  SInputBinaryStream& operator>>(bool& v);  // one byte, non-zero is true
  SInputBinaryStream& operator>>(SHORT& v);
  SInputBinaryStream& operator>>(WORD& v);
  SInputBinaryStream& operator>>(LONG& v);
  SInputBinaryStream& operator>>(DWORD& v);
  SInputBinaryStream& operator>>(LONGLONG& v);
  SInputBinaryStream& operator>>(double& v);
  // Reads exactly count bytes or throws SEEOFException with the given texts.
  void ReadExact(void* buffer, std::size_t count, const char* function = KV_SSTREAM_FN_BYTE,
                 int line = KV_SSTREAM_LINE_BYTE);

  SInputStream& GetStream() const { return m_in; }

 protected:
  SInputStream& m_in;
};

// Little-endian writes over another output stream.
class SOutputBinaryStream : public SOutputStream {
 public:
  explicit SOutputBinaryStream(SOutputStream& out) : m_out(out) {}

  void Write(const void* data, std::size_t count) override { m_out.Write(data, count); }
  void Flush() override { m_out.Flush(); }

  SOutputBinaryStream& operator<<(BYTE v);
  SOutputBinaryStream& operator<<(char v);
  SOutputBinaryStream& operator<<(bool v);
  SOutputBinaryStream& operator<<(SHORT v);
  SOutputBinaryStream& operator<<(WORD v);
  SOutputBinaryStream& operator<<(LONG v);
  SOutputBinaryStream& operator<<(DWORD v);
  SOutputBinaryStream& operator<<(LONGLONG v);
  SOutputBinaryStream& operator<<(double v);

  SOutputStream& GetStream() const { return m_out; }

 protected:
  SOutputStream& m_out;
};

// An input stream over a borrowed memory block (the block must outlive it).
class SInputBuffer : public SInputStream {
 public:
  SInputBuffer(const void* data, std::size_t size) : m_data(static_cast<const BYTE*>(data)), m_size(data ? size : 0) {}
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t GetAvailable() const override { return m_size - m_pos; }
  std::size_t GetPosition() const override { return m_pos; }
  bool SetPosition(std::size_t position) override;

 protected:
  SInputBuffer() = default;
  const BYTE* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_pos = 0;
};

// An input stream over a memory block that it owns (a copy, or bytes taken over).
class SInputGlobal : public SInputBuffer {
 public:
  SInputGlobal() = default;
  SInputGlobal(const void* data, std::size_t size);
  explicit SInputGlobal(std::vector<BYTE> bytes);
  explicit SInputGlobal(const SBlob& blob);

 private:
  void Attach();
  std::vector<BYTE> m_bytes;
};

// A growable memory block to write into.
class SOutputGlobal : public SOutputStream {
 public:
  void Write(const void* data, std::size_t count) override;
  const BYTE* GetData() const { return m_bytes.data(); }
  std::size_t GetSize() const { return m_bytes.size(); }
  const std::vector<BYTE>& GetBytes() const { return m_bytes; }
  // Hands over the bytes written and starts again empty.
  std::vector<BYTE> Detach() { return std::exchange(m_bytes, {}); }
  SBlob GetBlob() const;
  void Empty() { m_bytes.clear(); }

 private:
  std::vector<BYTE> m_bytes;
};

// A file written from its start. Mode 1 creates or truncates the file; mode 2
// appends. A file that cannot be opened throws SEIOException.
class SOutputFile : public SOutputStream {
 public:
  SOutputFile(const SString& path, int mode = 1);
  ~SOutputFile() override;
  SOutputFile(const SOutputFile&) = delete;
  SOutputFile& operator=(const SOutputFile&) = delete;
  void Write(const void* data, std::size_t count) override;
  void Flush() override;
  void Close();

 private:
  std::FILE* m_file = nullptr;
};

// A whole file read into memory; a file that cannot be read throws SEIOException.
class SInputFile : public SInputGlobal {
 public:
  explicit SInputFile(const SString& path);
};

// Writes texts in one encoding onto another output stream.
class SOutputStringStream {
 public:
  // Encodings: UTF-16 little-endian, and UTF-8 (also taken for any other code).
  static constexpr DWORD EncodingUtf16 = 0x40002;
  static constexpr DWORD EncodingUtf8 = 0x40004;

  explicit SOutputStringStream(SOutputStream& out, DWORD encoding = EncodingUtf8) : m_out(out), m_encoding(encoding) {}
  void WriteString(const SString& text);
  SOutputStringStream& operator<<(const SString& text) {
    WriteString(text);
    return *this;
  }
  SOutputStringStream& operator<<(const char* text) {
    WriteString(SString(text));
    return *this;
  }
  void Flush() { m_out.Flush(); }
  DWORD GetEncoding() const { return m_encoding; }
  // Everything written so far, as text.
  const SString& GetText() const { return m_text; }

 private:
  SOutputStream& m_out;
  DWORD m_encoding;
  SString m_text;
};

// Path helpers used with the file streams: both separators are accepted.
std::string KvNativePath(const SString& path);
