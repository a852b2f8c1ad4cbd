// The SDK callbacks of CCamera: plain functions whose context is the camera.
#pragma once

#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"

prResponse PrEventTrampoline(prHCamera camera, prContext context, prVoid* eventData);
cdUInt32 CdEventTrampoline(cdUInt32 event, const void* data, cdUInt32 size, cdContext context);
cdUInt32 CdReleaseEventTrampoline(cdUInt32 event, const void* data, cdUInt32 size, cdContext context);
cdUInt32 CdViewfinderTrampoline(void* buffer, cdUInt32 size, cdUInt32 format, cdContext context);
prResponse PrViewfinderTrampoline(prHCamera camera, prContext context, prUInt32 size, prVoid* data);
cdUInt32 CdDownloadProgressTrampoline(cdUInt32 percent, cdUInt32 status, cdContext context);
prResponse PrDownloadProgressTrampoline(prHCamera camera, prContext context, prProgress* progress);
