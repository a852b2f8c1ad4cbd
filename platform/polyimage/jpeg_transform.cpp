// Lossless quarter turns of JPEG files: the DCT coefficient blocks are moved and, where the
// turn mirrors them, sign-flipped; nothing is decoded. Edge blocks of a partial MCU that would
// land on the top or left edge cannot move losslessly and are trimmed away.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

enum Turn { kTurn90 = 0, kTurn270 = 1, kTurn180 = 2 };

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void OnError(j_common_ptr info) { longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OnMessage(j_common_ptr, int) {}

struct Transform {
  jpeg_decompress_struct src;
  jpeg_compress_struct dst;
  ErrorManager err;  // shared: either side jumps to the same place
  unsigned char* out;
  unsigned long outSize;
};

// Moves one block with its coefficients turned: transposed for 90/270, then mirrored.
void TurnBlock(const JCOEF* s, JCOEF* d, int turn) {
  for (int row = 0; row < DCTSIZE; ++row)
    for (int col = 0; col < DCTSIZE; ++col) {
      JCOEF v = turn == kTurn180 ? s[row * DCTSIZE + col] : s[col * DCTSIZE + row];
      // Mirroring negates the odd frequencies along the mirrored axis.
      bool negate = turn == kTurn90 ? (col & 1) : turn == kTurn270 ? (row & 1) : ((row ^ col) & 1);
      d[row * DCTSIZE + col] = negate ? JCOEF(-v) : v;
    }
}

// Runs inside the setjmp frame: no objects with destructors here.
bool Run(Transform& t, const uint8_t* data, size_t size, int turn) {
  jpeg_decompress_struct& src = t.src;
  jpeg_compress_struct& dst = t.dst;
  jpeg_mem_src(&src, data, static_cast<unsigned long>(size));
  jpeg_save_markers(&src, JPEG_COM, 0xFFFF);
  for (int m = 0; m < 16; ++m) jpeg_save_markers(&src, JPEG_APP0 + m, 0xFFFF);
  jpeg_read_header(&src, TRUE);

  // Trim the edges that would move to the top or left.
  int mcuW = src.max_h_samp_factor * DCTSIZE, mcuH = src.max_v_samp_factor * DCTSIZE;
  JDIMENSION w = src.image_width, h = src.image_height;
  if (turn == kTurn90 || turn == kTurn180) h -= h % mcuH;
  if (turn == kTurn270 || turn == kTurn180) w -= w % mcuW;
  if (w == 0 || h == 0) return false;

  // Output arrays must be requested before the coefficients are read (they are realised then).
  jvirt_barray_ptr outArrays[MAX_COMPONENTS];
  int components = src.num_components;
  for (int c = 0; c < components; ++c) {
    jpeg_component_info& comp = src.comp_info[c];
    bool swap = turn != kTurn180;
    int hs = swap ? comp.v_samp_factor : comp.h_samp_factor, vs = swap ? comp.h_samp_factor : comp.v_samp_factor;
    int maxH = swap ? src.max_v_samp_factor : src.max_h_samp_factor;
    int maxV = swap ? src.max_h_samp_factor : src.max_v_samp_factor;
    JDIMENSION dw = swap ? h : w, dh = swap ? w : h;
    JDIMENSION bw = (dw * hs + maxH * DCTSIZE - 1) / (maxH * DCTSIZE);
    JDIMENSION bh = (dh * vs + maxV * DCTSIZE - 1) / (maxV * DCTSIZE);
    bw = (bw + hs - 1) / hs * hs;
    bh = (bh + vs - 1) / vs * vs;
    outArrays[c] = (*src.mem->request_virt_barray)(reinterpret_cast<j_common_ptr>(&src), JPOOL_IMAGE, TRUE, bw, bh,
                                                   JDIMENSION(vs));
  }
  jvirt_barray_ptr* inArrays = jpeg_read_coefficients(&src);

  jpeg_copy_critical_parameters(&src, &dst);
  if (turn != kTurn180) {
    dst.image_width = h;
    dst.image_height = w;
    for (int c = 0; c < components; ++c) std::swap(dst.comp_info[c].h_samp_factor, dst.comp_info[c].v_samp_factor);
    for (int q = 0; q < NUM_QUANT_TBLS; ++q) {
      JQUANT_TBL* table = dst.quant_tbl_ptrs[q];
      if (!table) continue;
      for (int row = 0; row < DCTSIZE; ++row)
        for (int col = row + 1; col < DCTSIZE; ++col)
          std::swap(table->quantval[row * DCTSIZE + col], table->quantval[col * DCTSIZE + row]);
    }
  } else {
    dst.image_width = w;
    dst.image_height = h;
  }

  for (int c = 0; c < components; ++c) {
    jpeg_component_info& comp = src.comp_info[c];
    // Source blocks inside the trimmed picture, for this component.
    JDIMENSION sbw = (w * comp.h_samp_factor + mcuW - 1) / mcuW;
    JDIMENSION sbh = (h * comp.v_samp_factor + mcuH - 1) / mcuH;
    bool swap = turn != kTurn180;
    int vs = swap ? comp.h_samp_factor : comp.v_samp_factor;
    int maxH = swap ? src.max_v_samp_factor : src.max_h_samp_factor;
    int maxV = swap ? src.max_h_samp_factor : src.max_v_samp_factor;
    JDIMENSION dw = swap ? h : w, dh = swap ? w : h;
    int hs = swap ? comp.v_samp_factor : comp.h_samp_factor;
    JDIMENSION bw = (dw * hs + maxH * DCTSIZE - 1) / (maxH * DCTSIZE);
    JDIMENSION bh = (dh * vs + maxV * DCTSIZE - 1) / (maxV * DCTSIZE);
    bw = (bw + hs - 1) / hs * hs;
    bh = (bh + vs - 1) / vs * vs;
    for (JDIMENSION by = 0; by < bh; ++by) {
      JBLOCKARRAY outRow =
          (*src.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&src), outArrays[c], by, 1, TRUE);
      for (JDIMENSION bx = 0; bx < bw; ++bx) {
        long sx, sy;
        if (turn == kTurn90) sx = long(by), sy = long(sbh) - 1 - long(bx);
        else if (turn == kTurn270) sx = long(sbw) - 1 - long(by), sy = long(bx);
        else sx = long(sbw) - 1 - long(bx), sy = long(sbh) - 1 - long(by);
        JCOEF* d = outRow[0][bx];
        if (sx < 0 || sy < 0 || JDIMENSION(sx) >= comp.width_in_blocks || JDIMENSION(sy) >= comp.height_in_blocks) {
          std::memset(d, 0, sizeof(JBLOCK));  // padding outside the picture
          continue;
        }
        JBLOCKARRAY inRow =
            (*src.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&src), inArrays[c], JDIMENSION(sy), 1, FALSE);
        TurnBlock(inRow[0][sx], d, turn);
      }
    }
  }

  jpeg_mem_dest(&dst, &t.out, &t.outSize);
  jpeg_write_coefficients(&dst, outArrays);
  // Markers travel along; the Exif orientation now says "upright".
  for (jpeg_saved_marker_ptr m = src.marker_list; m; m = m->next) {
    if (dst.write_JFIF_header && m->marker == JPEG_APP0 && m->data_length >= 5 && std::memcmp(m->data, "JFIF", 5) == 0)
      continue;
    if (dst.write_Adobe_marker && m->marker == JPEG_APP0 + 14 && m->data_length >= 5 &&
        std::memcmp(m->data, "Adobe", 5) == 0)
      continue;
    if (m->marker == JPEG_APP0 + 1) ResetApp1Orientation(m->data, m->data_length);
    jpeg_write_marker(&dst, m->marker, m->data, m->data_length);
  }
  jpeg_finish_compress(&dst);
  jpeg_finish_decompress(&src);
  return true;
}

// The jump lands here, so the caller's locals are never live across it.
bool Protected(Transform& t, const uint8_t* data, size_t size, int turn) {
  if (setjmp(t.err.jump)) return false;
  jpeg_create_decompress(&t.src);
  jpeg_create_compress(&t.dst);
  return Run(t, data, size, turn);
}

}  // namespace
}  // namespace pip

using namespace pip;

int cRotateImageFileEx(LPCSTR path, LPCSTR destPath, int rotation, int) {
  return Guard("cRotateImageFileEx", [&] {
    if (rotation < 0 || rotation > 2) return 0;
    std::vector<uint8_t> file;
    if (!ReadFile(path, file) || Sniff(file.data(), file.size()) != FileKind::Jpeg) return 0;
    Transform t;
    t.out = nullptr;
    t.outSize = 0;
    t.src.err = jpeg_std_error(&t.err.pub);
    t.err.pub.error_exit = OnError;
    t.err.pub.emit_message = OnMessage;
    t.dst.err = &t.err.pub;
    t.src.mem = nullptr;
    t.dst.mem = nullptr;
    bool ok = Protected(t, file.data(), file.size(), rotation);
    jpeg_destroy_compress(&t.dst);
    jpeg_destroy_decompress(&t.src);
    if (ok) ok = WriteFileAtomic(destPath && *destPath ? destPath : path, t.out, t.outSize);
    std::free(t.out);
    return ok ? 1 : 0;
  });
}
