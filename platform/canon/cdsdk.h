// The CDSDK camera interface (CD... functions) as the camera layer calls it.
// Results: 0 (cdOK) is success, anything else an SDK error code. Texts the SDK reports about
// devices are 16-bit; file paths and the image comment are 8-bit in the system code page.
// Handles and contexts are pointer-sized. Callbacks run on SDK threads (or, with the
// synchronous simulator, on the calling thread) and are never called with an SDK lock held.
#pragma once

#include "platform/win32/windef.h"

typedef DWORD cdError;
typedef DWORD cdUInt32;
typedef LONG cdInt32;
typedef WORD cdUInt16;
typedef BYTE cdUInt8;
typedef BOOL cdBoolean;
typedef char cdChar;
typedef char16_t cdWChar;
typedef UINT_PTR cdContext;
typedef UINT_PTR cdHandle;
typedef cdHandle cdHSource;
typedef cdHandle cdHEnum;
typedef cdHandle cdHItem;
typedef cdHandle cdHImageData;

#define cdOK 0x00000000u
#define cdINVALID_PARAMETER 0x00000004u
#define cdINVALID_HANDLE 0x00000005u
#define cdNOT_SUPPORTED 0x00000007u
#define cdENUM_NA 0x00000010u
#define cdINVALID_FN_CALL 0x00000011u
#define cdPROPERTY_NOT_FOUND 0x00000021u
#define cdBAD_VALUE 0x00000022u
#define cdSTREAM_ERROR 0x00000030u
#define cdFILE_ERROR 0x00000031u
#define cdNOT_STARTED 0x00000040u

/// The 40-byte version record handed to CDStartSDK.
struct cdVersionInfo {
  cdUInt16 Size;  // 40
  cdUInt16 MajorVersion;
  cdUInt16 MinorVersion;
  cdUInt16 Reserved1;
  cdUInt8 Reserved[32];
};
static_assert(sizeof(cdVersionInfo) == 40, "the version record is 40 bytes");

#define cdPORT_TYPE_USB 3
#define cdSOURCE_NAME_LENGTH 64
#define cdOS_NAME_LENGTH 256

/// One enumerated device.
struct cdSourceInfo {
  cdUInt32 DataType;
  cdUInt32 PortType;                   // 3 = USB
  cdWChar Name[cdSOURCE_NAME_LENGTH];  // model name, maybe with " #n"
  cdWChar OSName[cdOS_NAME_LENGTH];    // the device name the system knows it by
  cdUInt32 SourceId;
};

// Device properties read with CDGetDevicePropertyData.
#define cdDEVICE_PROP_MODEL_NAME 2      // 32 bytes, 8-bit text
#define cdDEVICE_PROP_CAPABILITIES 8    // 4 bytes
#define cdDEVICE_PROP_BATTERY_STATUS 15  // 4 bytes

// Release data kinds (bits): 1 thumbnail to the computer, 2 picture to the computer.
#define cdREL_KIND_THUMB_TO_PC 0x0001u
#define cdREL_KIND_PICT_TO_PC 0x0002u

// Released data types and formats reported by CDGetReleasedData.
#define cdDATA_TYPE_THUMBNAIL 16
#define cdDATA_TYPE_PICTURE 32
#define cdFORMAT_JPEG 1
#define cdFORMAT_RAW 2

struct cdReleaseImageInfo {
  cdUInt32 SequenceID;
  cdUInt32 DataType;  // cdDATA_TYPE_...
  cdUInt8 Format;     // cdFORMAT_...
  cdUInt32 DataSize;
  cdChar FileName[MAX_PATH];
};

// Stream callbacks: the first argument is the stream's context, the last a 32-bit error flag
// (0 success, 1 failure).
typedef void (*cdSOpen)(cdContext context, cdUInt16 mode, cdError* error);
typedef void (*cdSClose)(cdContext context, cdError* error);
typedef void (*cdSRead)(cdContext context, void* buffer, cdUInt32* count, cdError* error);
typedef void (*cdSWrite)(cdContext context, const void* buffer, cdUInt32 count, cdError* error);
typedef void (*cdSSeek)(cdContext context, cdUInt16 origin, cdInt32 offset, cdError* error);
typedef cdInt32 (*cdSTell)(cdContext context, cdError* error);

#define cdSTREAM_OPEN_READ 1
#define cdSTREAM_OPEN_WRITE 2
#define cdSTREAM_SEEK_SET 1
#define cdSTREAM_SEEK_CUR 2
#define cdSTREAM_SEEK_END 3

struct cdStream {
  cdContext cContext;
  cdSOpen Open;
  cdSClose Close;
  cdSRead Read;
  cdSWrite Write;
  cdSSeek Seek;
  cdSTell Tell;
};

#define cdMEMTYPE_STREAM 1
struct cdStgMedium {
  cdUInt32 Type;  // cdMEMTYPE_STREAM
  cdStream* pStream;
};

typedef cdUInt32 (*cdEventCallbackFunction)(cdUInt32 event, const void* data, cdUInt32 size, cdContext context);
typedef cdUInt32 (*cdReleaseEventCallbackFunction)(cdUInt32 event, const void* data, cdUInt32 size,
                                                   cdContext context);
typedef cdUInt32 (*cdProgressCallbackFunction)(cdUInt32 percent, cdUInt32 status, cdContext context);
typedef cdUInt32 (*cdViewFinderCallbackFunction)(void* buffer, cdUInt32 size, cdUInt32 format, cdContext context);

// Camera events (CDRegisterEventCallbackFunction): class in bits 16-19, detail in the low 16.
#define cdEVENT_UNKNOWN_COMMAND_BIT 0x08000000u
#define cdEVENT_CLASS_MASK 0x000F0000u
#define cdEVENT_CLASS_WARNING 0x00020000u
#define cdEVENT_CLASS_SHUTDOWN 0x00040000u

// Release events (CDEnterReleaseControl).
#define cdRELEASE_EVENT_RESET_HW_ERROR 10
#define cdRELEASE_EVENT_CHANGED_BY_UI 27
#define cdRELEASE_EVENT_RELEASE_START 28
#define cdRELEASE_EVENT_RELEASE_COMPLETE 29
#define cdRELEASE_EVENT_CAM_RELEASE_ON 30
#define cdRELEASE_EVENT_ROTATION_ANGLE_CHANGED 31

// Image-item properties.
#define cdIMG_PROP_COMMENT 0x08000C00u    // 256 bytes, 8-bit text
#define cdIMG_PROP_ROTATION 0x08001800u   // 4 bytes, degrees

/// Starts the SDK; refuses a version record it does not accept with cdNOT_SUPPORTED.
cdError CDStartSDK(const cdVersionInfo* version, cdUInt32 option);
cdError CDFinishSDK();

/// Starts an enumeration; *hEnum is the caller's until CDEnumDeviceRelease.
cdError CDEnumDeviceReset(cdUInt32 keep, cdHEnum* hEnum);
/// Fills the next source; cdENUM_NA after the last.
cdError CDEnumDeviceNext(cdHEnum hEnum, cdSourceInfo* source);
cdError CDEnumDeviceRelease(cdHEnum hEnum);

/// Opens a source; *source is valid until CDCloseSource.
cdError CDOpenSource(const cdSourceInfo* info, cdHSource* source);
cdError CDCloseSource(cdHSource source);
cdError CDRegisterEventCallbackFunction(cdHSource source, cdEventCallbackFunction callback, cdContext context,
                                        cdHandle* function);
cdError CDEnterReleaseControl(cdHSource source, cdReleaseEventCallbackFunction callback, cdContext context);
cdError CDExitReleaseControl(cdHSource source);
/// On success *size is the bytes written; cdINVALID_PARAMETER when the buffer is too small.
cdError CDGetDevicePropertyData(cdHSource source, cdUInt32 property, cdUInt32* size, void* data, cdUInt32 option);
cdError CDLockUI(cdHSource source);
cdError CDUnlockUI(cdHSource source);

cdError CDSetShootingMode(cdHSource source, cdUInt16 mode);
cdError CDGetShootingMode(cdHSource source, cdUInt16* mode);
cdError CDSetTvValue(cdHSource source, cdUInt16 tv);
cdError CDGetTvValue(cdHSource source, cdUInt16* tv);
cdError CDSetAvValue(cdHSource source, cdUInt16 av);
cdError CDGetAvValue(cdHSource source, cdUInt16* av);
cdError CDSetExposureComp(cdHSource source, cdUInt8 comp);
cdError CDGetExposureComp(cdHSource source, cdUInt8* comp);
cdError CDSetWBSetting(cdHSource source, cdUInt16 wb);
cdError CDGetWBSetting(cdHSource source, cdUInt16* wb);
cdError CDSetAFDistanceSetting(cdHSource source, cdUInt16 distance);
cdError CDGetAFDistanceSetting(cdHSource source, cdUInt16* distance);
/// A compensation of 255 leaves the flash compensation as it is.
cdError CDSetFlashSetting(cdHSource source, cdUInt16 mode, cdUInt16 compensation);
cdError CDGetFlashSetting(cdHSource source, cdUInt16* mode, cdUInt16* compensation);
cdError CDSetImageFormatAttribute(cdHSource source, cdUInt16 quality, cdUInt16 size);
cdError CDGetImageFormatAttribute(cdHSource source, cdUInt16* quality, cdUInt16* size);
/// Writes exactly size bytes of a release-camera setting; cdBAD_VALUE for a refused value.
cdError CDSetRelCamSettingData(cdHSource source, cdUInt32 id, cdUInt32 size, const void* data);
/// Reads a release-camera setting into *size bytes; on success *size is the bytes written.
cdError CDGetRelCamSettingData(cdHSource source, cdUInt32 id, cdUInt32* size, void* data);
cdError CDGetMaximumZoomPos(cdHSource source, cdUInt32* maximum, cdUInt32* maximumOptical);
cdError CDSetZoomPos(cdHSource source, cdUInt32 position);
cdError CDGetDZoomMagnification(cdHSource source, cdUInt32* numerator, cdUInt32* denominator);

cdError CDSelectViewFinderCameraOutput(cdHSource source, cdUInt16 output);
/// Frames (JPEG) arrive on the SDK's viewfinder thread until CDTermViewfinder.
cdError CDStartViewfinder(cdHSource source, cdUInt32 format, cdViewFinderCallbackFunction callback,
                          cdContext context);
/// Safe to call from inside the frame callback.
cdError CDTermViewfinder(cdHSource source);
cdError CDActViewfinderAutoFunctions(cdHSource source, cdUInt32 functions);
cdError CDAFLock(cdHSource source, cdBoolean on);

cdError CDSelectReleaseDataKind(cdHSource source, cdUInt16 kind);
/// Releases the shutter; *count is the number of items the release will deliver.
cdError CDRelease(cdHSource source, cdBoolean synchronous, cdProgressCallbackFunction progress, cdContext context,
                  cdUInt32 progressOption, cdUInt32* count);
/// Delivers the next released item through the medium's stream (opened for writing).
cdError CDGetReleasedData(cdHSource source, cdProgressCallbackFunction progress, cdContext context,
                          cdUInt32 progressOption, cdReleaseImageInfo* info, cdStgMedium* medium);

/// Makes an item for an image file; the option picks how the file is read.
cdError CDMakeImageItem(const cdChar* path, cdUInt32 option, cdHItem* item);
cdError CDOpenImage(cdHItem item, cdHImageData* image);
cdError CDEnumImageItemPropertyReset(cdHImageData image, cdUInt32 option, cdHEnum* hEnum);
cdError CDEnumImageItemPropertyRelease(cdHEnum hEnum);
cdError CDSetImageItemProperty(cdHImageData image, cdUInt32 property, cdUInt32 size, const void* data);
cdError CDGetImageItemProperty(cdHImageData image, cdUInt32 property, cdUInt32* size, void* data);
/// Writes the properties set since the image was opened into its file.
cdError CDFlashImageItemProperty(cdHImageData image);
cdError CDCloseImage(cdHImageData image);
cdError CDFreeImageItem(cdHItem item);
