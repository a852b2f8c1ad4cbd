// QR codes drawn into an imaging session (photobooth prints, layout previews).
#pragma once

#include "platform/mfc/cstring.h"
#include "support/PipSession.h"

/// Replaces the session's image with the text's QR code (one white module of border) scaled to
/// min(width, height) and centred on a white width x height image. Returns false when the text
/// cannot be encoded at that level (0 L .. 3 H) or the image cannot be made.
bool RenderQrCode(PipSession* session, int width, int height, const char* text, int level);
