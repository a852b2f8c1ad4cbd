#include "support/JpegMemory.h"

#include <cstring>

#include <jerror.h>

namespace {

struct JpegMemorySource {
  jpeg_source_mgr pub;
};

const JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  // The buffer is exhausted: hand libjpeg an end-of-image marker rather than the bytes beyond it.
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = kFakeEndOfImage;
  cinfo->src->bytes_in_buffer = sizeof kFakeEndOfImage;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  size_t skip = static_cast<size_t>(count);
  if (skip > src->bytes_in_buffer) skip = src->bytes_in_buffer;  // a length field may point past the data
  src->next_input_byte += skip;
  src->bytes_in_buffer -= skip;
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
  dest->pub.next_output_byte = dest->staging;
  dest->pub.free_in_buffer = kJpegMemoryOutputSize;
  dest->count = 0;
}

void FlushStaging(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
  size_t staged = kJpegMemoryOutputSize - dest->pub.free_in_buffer;
  if (staged > kJpegMemoryOutputSize - dest->count) ERREXIT(cinfo, JERR_BUFFER_SIZE);
  std::memcpy(dest->output + dest->count, dest->staging, staged);
  dest->count += static_cast<DWORD>(staged);
  dest->pub.next_output_byte = dest->staging;
  dest->pub.free_in_buffer = kJpegMemoryOutputSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  FlushStaging(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) { FlushStaging(cinfo); }

void OutputMessage(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  cinfo->err->format_message(cinfo, text);
  throw CString(text);
}

void ErrorExit(j_common_ptr cinfo) { cinfo->err->output_message(cinfo); }

}  // namespace

void jpeg_memory_src(j_decompress_ptr cinfo, const JOCTET* buffer, size_t size) {
  if (!cinfo->src) {
    cinfo->src = static_cast<jpeg_source_mgr*>(cinfo->mem->alloc_small(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegMemorySource)));
  }
  jpeg_source_mgr* src = cinfo->src;
  src->init_source = InitSource;
  src->fill_input_buffer = FillInputBuffer;
  src->skip_input_data = SkipInputData;
  src->resync_to_restart = jpeg_resync_to_restart;
  src->term_source = TermSource;
  src->next_input_byte = buffer;
  src->bytes_in_buffer = buffer ? size : 0;
}

JpegMemoryDestination* jpeg_memory_dest(j_compress_ptr cinfo) {
  // Another manager's record is smaller than ours: only our own block is reused.
  if (!cinfo->dest || cinfo->dest->init_destination != InitDestination) {
    cinfo->dest = static_cast<jpeg_destination_mgr*>(cinfo->mem->alloc_large(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegMemoryDestination)));
  }
  auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;
  dest->count = 0;
  return dest;
}

jpeg_error_mgr* InitJpegErrorManager(jpeg_error_mgr* err) {
  jpeg_std_error(err);
  err->output_message = OutputMessage;
  err->error_exit = ErrorExit;
  return err;
}
