// The memory stream both SDKs deliver a released image into: a fixed buffer reused for every
// download. CDSDK gets it as a stream medium (context plus six callbacks); the PRSDK download
// progress writes through the same callbacks.
#pragma once

#include "platform/canon/cdsdk.h"
#include "platform/win32/windef.h"

class MyCanonMemStream {
 public:
  /// Allocates the whole capacity now; a failed allocation leaves a stream of capacity 0.
  explicit MyCanonMemStream(LONG capacity);
  virtual ~MyCanonMemStream();
  MyCanonMemStream(const MyCanonMemStream&) = delete;
  MyCanonMemStream& operator=(const MyCanonMemStream&) = delete;

  /// The record handed to the SDK; its context is this stream.
  cdStream* GetStream() { return &m_stream; }
  /// The downloaded bytes: GetSize() of them, owned by the stream.
  const BYTE* GetData() const { return m_data; }
  LONG GetSize() const { return m_size; }
  LONG GetCapacity() const { return m_capacity; }
  LONG GetPosition() const { return m_position; }
  /// True when a write since the last open for writing was refused for want of room: the
  /// download is incomplete and must not be saved.
  bool IsOverflowed() const { return m_overflowed; }

  static void Open(cdContext context, cdUInt16 mode, cdError* error);
  static void Close(cdContext context, cdError* error);
  static void Read(cdContext context, void* buffer, cdUInt32* count, cdError* error);
  static void Write(cdContext context, const void* buffer, cdUInt32 count, cdError* error);
  static void Seek(cdContext context, cdUInt16 origin, cdInt32 offset, cdError* error);
  static cdInt32 Tell(cdContext context, cdError* error);

 private:
  cdStream m_stream;
  BYTE* m_data;
  LONG m_capacity;
  LONG m_position;
  LONG m_size;
  bool m_overflowed;
};
