// libjpeg managers for JPEGs held in memory: a source over the caller's buffer, a destination
// into one fixed block, and an error manager that throws every error and warning.
//
// Errors: the error manager throws the formatted libjpeg message as a CString, warnings
// included (a premature end of data ends the decode too). Callers catch it around the whole
// decode or encode and destroy the libjpeg object themselves.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// Size of the destination's output area: the largest JPEG it can hold.
const size_t kJpegMemoryOutputSize = 81920;

/// The destination block, allocated from the compression object's permanent pool.
struct JpegMemoryDestination {
  jpeg_destination_mgr pub;
  JOCTET output[kJpegMemoryOutputSize];
  JOCTET staging[kJpegMemoryOutputSize];
  DWORD count;   // bytes of the finished JPEG at the start of output
};

/// Installs the source over the caller's buffer, which must outlive the decompression object.
/// Reading past the end yields an end-of-image marker (and libjpeg's premature-end warning), never more bytes.
void jpeg_memory_src(j_decompress_ptr cinfo, const JOCTET* buffer, size_t size);
/// Installs the destination; after jpeg_finish_compress the JPEG is the first count bytes of output.
/// A stream longer than the output area stops the compression with libjpeg's buffer-size error.
/// The block belongs to the compression object.
JpegMemoryDestination* jpeg_memory_dest(j_compress_ptr cinfo);
/// Fills the record with jpeg_std_error and the throwing entry points; returns the record.
jpeg_error_mgr* InitJpegErrorManager(jpeg_error_mgr* err);
