// Pieces shared by the output settings pages: the rotation list, the crop block and the log block.
#pragma once

#include "platform/mfc/dialog.h"

#define IDC_OUTPUT_CROP 1179
#define IDC_OUTPUT_CROP_LEFT 1284
#define IDC_OUTPUT_CROP_TOP 1034
#define IDC_OUTPUT_CROP_WIDTH 1036
#define IDC_OUTPUT_CROP_HEIGHT 1037
#define IDC_OUTPUT_LOG_ENABLE 1062
#define IDC_OUTPUT_LOG_PATH 1320
#define IDC_OUTPUT_LOG_BROWSE 1318

/// Rotation choices: "None", 90 cw, 90 ccw, 180, and optionally "Same as print preview" (-1).
void FillRotationList(CDialog* dialog, int id, bool withSameAsPreview);
/// The list index that shows a stored angle; -1 (no selection) for "same as preview" on a four-entry list.
int RotationToIndex(int degrees, bool withSameAsPreview);
/// The stored angle of a list index; no selection or an unknown index is 0.
int IndexToRotation(int index);

/// The crop block's four edits follow its check box (and `allowed`, for pages with a master switch).
void EnableCropBlock(CDialog* dialog, bool allowed = true);
/// The log block's path edit and "..." button follow its check box `checkId`.
void EnableLogBlock(CDialog* dialog, int checkId);
/// Save-file chooser for a CSV log; the chosen path replaces the path edit.
void ChooseLogFile(CDialog* dialog, const char* title);
/// Folder browser titled `title`, starting at the edit's folder; a chosen folder replaces the edit.
void ChooseFolderInto(CDialog* dialog, int editId, const char* title);
/// EnableWindow on a control when it exists.
void EnableControl(CDialog* dialog, int id, bool enabled);
