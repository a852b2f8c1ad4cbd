#include "camera/MyCanonMemStream.h"

#include <cstring>
#include <new>

namespace {

MyCanonMemStream* StreamOf(cdContext context) { return reinterpret_cast<MyCanonMemStream*>(context); }

void SetError(cdError* error, cdError value) {
  if (error) *error = value;
}

}  // namespace

MyCanonMemStream::MyCanonMemStream(LONG capacity)
    : m_stream{reinterpret_cast<cdContext>(this), &Open, &Close, &Read, &Write, &Seek, &Tell},
      m_data(capacity > 0 ? new (std::nothrow) BYTE[capacity] : nullptr),
      m_capacity(m_data ? capacity : 0),
      m_position(0),
      m_size(0),
      m_overflowed(false) {}

MyCanonMemStream::~MyCanonMemStream() { delete[] m_data; }

void MyCanonMemStream::Open(cdContext context, cdUInt16 mode, cdError* error) {
  MyCanonMemStream* s = StreamOf(context);
  s->m_position = 0;
  if (mode == cdSTREAM_OPEN_WRITE) {
    s->m_size = 0;
    s->m_overflowed = false;
  }
  SetError(error, 0);
}

void MyCanonMemStream::Close(cdContext, cdError* error) { SetError(error, 0); }

void MyCanonMemStream::Read(cdContext context, void* buffer, cdUInt32* count, cdError* error) {
  MyCanonMemStream* s = StreamOf(context);
  if (!count) return SetError(error, 1);
  // Only the bytes written so far can be read, never the rest of the buffer.
  LONGLONG available = static_cast<LONGLONG>(s->m_size) - s->m_position;
  if (available <= 0) {
    *count = 0;
    return SetError(error, 1);
  }
  LONGLONG n = *count < available ? static_cast<LONGLONG>(*count) : available;
  if (n > 0) std::memcpy(buffer, s->m_data + s->m_position, static_cast<size_t>(n));
  *count = static_cast<cdUInt32>(n);
  s->m_position += static_cast<LONG>(n);
  SetError(error, 0);
}

void MyCanonMemStream::Write(cdContext context, const void* buffer, cdUInt32 count, cdError* error) {
  MyCanonMemStream* s = StreamOf(context);
  if (static_cast<LONGLONG>(s->m_position) + count > s->m_capacity) {
    // Refused, and remembered: a truncated photo must be reported, not saved.
    s->m_overflowed = true;
    return SetError(error, 1);
  }
  if (count > 0) std::memcpy(s->m_data + s->m_position, buffer, count);
  s->m_position += static_cast<LONG>(count);
  if (s->m_position > s->m_size) s->m_size = s->m_position;
  SetError(error, 0);
}

void MyCanonMemStream::Seek(cdContext context, cdUInt16 origin, cdInt32 offset, cdError* error) {
  MyCanonMemStream* s = StreamOf(context);
  SetError(error, 0);
  LONGLONG target;
  switch (origin) {
    case cdSTREAM_SEEK_SET:
      // The current position is always a valid target, also at the end of the data: blocks
      // arrive one after another at the offset where the last one ended.
      if (offset == s->m_position) return;
      target = offset;
      break;
    case cdSTREAM_SEEK_CUR:
      target = static_cast<LONGLONG>(s->m_position) + offset;
      break;
    case cdSTREAM_SEEK_END:
      if (offset < 0 || offset > s->m_size) return SetError(error, 1);
      s->m_position = s->m_size - offset;
      return;
    default:
      return;
  }
  if (target < 0 || target >= s->m_size) return SetError(error, 1);
  s->m_position = static_cast<LONG>(target);
}

cdInt32 MyCanonMemStream::Tell(cdContext context, cdError* error) {
  SetError(error, 0);
  return StreamOf(context)->m_position;
}
