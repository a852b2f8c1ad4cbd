// ICC colour correction through lcms2: the input profile is kept on the session, the
// output profile's transform is applied to the pixels in place.
#include <lcms2.h>

#include "platform/polyimage/parallel.h"
#include "platform/polyimage/polyimage_pvt.h"

using namespace pip;

namespace {

struct Profile {
  cmsHPROFILE handle;
  explicit Profile(const void* bytes, size_t size)
      : handle(bytes && size >= 128 ? cmsOpenProfileFromMem(bytes, cmsUInt32Number(size)) : nullptr) {}
  ~Profile() {
    if (handle) cmsCloseProfile(handle);
  }
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;
};

void Quiet(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

int cLoadICCProfile(int session, const BYTE* profile, DWORD size) {
  return Guard("cLoadICCProfile", [&] {
    static bool quiet = (cmsSetLogErrorHandler(Quiet), true);
    (void)quiet;
    Session* s = Find(session);
    if (!s) return 0;
    Profile check(profile, size);
    if (!check.handle) {
      s->inputProfile.clear();
      Fail("cLoadICCProfile", "not an ICC profile");
      return 0;
    }
    s->inputProfile.assign(profile, profile + size);
    return 1;
  });
}

int cApplyICCProfile(int session, const BYTE* profile, DWORD size, int intent) {
  return Guard("cApplyICCProfile", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty() || s->inputProfile.empty()) return 0;
    Profile in(s->inputProfile.data(), s->inputProfile.size());
    Profile out(profile, size);
    if (!in.handle || !out.handle) return 0;
    Image& image = s->image;
    bool grey = image.channels == 1;
    cmsUInt32Number format = grey ? TYPE_GRAY_8 : TYPE_BGR_8;
    if (intent < 0 || intent > 3) intent = INTENT_PERCEPTUAL;
    // Both profiles must suit the pixels: a grey profile cannot take colour pixels.
    cmsColorSpaceSignature want = grey ? cmsSigGrayData : cmsSigRgbData;
    if (cmsGetColorSpace(in.handle) != want || cmsGetColorSpace(out.handle) != want) return 0;
    cmsHTRANSFORM transform =
        cmsCreateTransform(in.handle, format, out.handle, format, cmsUInt32Number(intent), cmsFLAGS_NOCACHE);
    if (!transform) return 0;
    ParallelRows(image.height, 64, [&](int begin, int end) {
      for (int y = begin; y < end; ++y) cmsDoTransform(transform, image.Row(y), image.Row(y), cmsUInt32Number(image.width));
    });
    cmsDeleteTransform(transform);
    return 1;
  });
}
