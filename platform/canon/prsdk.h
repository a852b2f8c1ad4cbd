// The PRSDK camera interface (PR_... functions) as the camera layer calls it.
// Results: 0 (prOK) is success, anything else an SDK error code; PR_GetDeviceList and
// PR_GetDeviceInfo answer prINSUFFICIENT_BUFFER (99) with the size needed when the buffer is
// too small. Settings are PTP device properties: values little-endian, widths by data type.
// Callbacks run on SDK threads (or, with the synchronous simulator, on the calling thread).
#pragma once

#include "platform/win32/windef.h"

typedef DWORD prResponse;
typedef DWORD prUInt32;
typedef WORD prUInt16;
typedef BYTE prUInt8;
typedef char16_t prWChar;
typedef void prVoid;
typedef UINT_PTR prContext;
typedef UINT_PTR prHCamera;
typedef DWORD prObjectHandle;

#define prOK 0u
#define prINVALID_PARAMETER 2u
#define prINVALID_HANDLE 3u
#define prINVALID_FN_CALL 4u
#define prNOT_SUPPORTED 7u
#define prDEVICE_BUSY 8u
#define prPROPERTY_NOT_FOUND 0x2009u
#define prINVALID_PROPERTY_VALUE 0x201Cu
#define prINSUFFICIENT_BUFFER 99u
#define prNOT_STARTED 0x40u

#define prDEVICE_INTERNAL_NAME_LENGTH 512
#define prMODEL_NAME_LENGTH 32

/// One device of the list.
struct prDeviceInfoTable {
  prWChar DeviceInternalName[prDEVICE_INTERNAL_NAME_LENGTH];
  prWChar ModelName[prMODEL_NAME_LENGTH];  // maybe with " #n"
  prUInt16 Generation;
  prUInt32 ModelID;
};

/// A 32-bit count followed by that many device records.
struct prDeviceList {
  prUInt32 NumList;
  prDeviceInfoTable DeviceInfo[1];
};
inline prUInt32 prDeviceListSize(prUInt32 count) {
  return static_cast<prUInt32>(offsetof(prDeviceList, DeviceInfo) + sizeof(prDeviceInfoTable) * count);
}

// PTP data types of property descriptions.
#define prDATA_TYPE_INT8 1
#define prDATA_TYPE_UINT8 2
#define prDATA_TYPE_INT16 3
#define prDATA_TYPE_UINT16 4
#define prDATA_TYPE_INT32 5
#define prDATA_TYPE_UINT32 6
#define prFORM_NONE 0
#define prFORM_RANGE 1
#define prFORM_ENUM 2

// PTP codes the camera layer uses.
#define prPTP_OC_INITIATE_VIEWFINDER 0x900B
#define prPTP_OC_TERMINATE_VIEWFINDER 0x900C
#define prPTP_OC_FOCUS_LOCK 0x9014
#define prPTP_FORMAT_JPEG 0x3801
#define prPTP_FORMAT_CRW 0xB101

// Events (the Code of prEventRecord).
#define prPTP_EVENT_DEVICE_PROP_CHANGED 0x4006
#define prPTP_EVENT_SHUTDOWN_CF_GATE_OPENED 0xC001
#define prPTP_EVENT_FULL_VIEW_RELEASED 0xC008
#define prPTP_EVENT_THUMBNAIL_RELEASED 0xC009
#define prPTP_EVENT_CAMERA_RELEASE_ON 0xC00B
#define prPTP_EVENT_CHANGE_BATTERY_STATUS 0xC00C
#define prPTP_EVENT_ROTATION_ANGLE_CHANGED 0xC00D
#define prPTP_EVENT_CHANGED_BY_CAM_UI 0xC00E
#define prPTP_EVENT_SHUTDOWN 0xD001

/// A PTP event container: length, type, code, transaction id, parameters.
struct prEventRecord {
  prUInt32 Length;
  prUInt16 Type;
  prUInt16 Code;
  prUInt32 TransactionId;
  prUInt32 Parameter[3];
};

// Download progress messages.
#define prMSG_DATA_HEADER 1
#define prMSG_DATA 2
#define prMSG_TERMINATION 3

struct prProgress {
  prUInt32 Message;  // prMSG_...
  prUInt32 Status;
  prUInt32 PercentComplete;
  prUInt32 Offset;  // of this block from the start of the item
  prUInt32 Length;  // of this block
  prUInt8* Data;    // valid during the callback only
};

#define prMAX_TRANSFER_SIZE 0x40000u

typedef prResponse (*prSetEventCB)(prHCamera camera, prContext context, prVoid* eventData);
typedef prResponse (*prGetFileDataCB)(prHCamera camera, prContext context, prProgress* progress);
typedef prResponse (*prViewFinderCB)(prHCamera camera, prContext context, prUInt32 size, prVoid* data);

prResponse PR_StartSDK();

/// Copies the device list; prINSUFFICIENT_BUFFER with *bufferSize set when it does not fit.
prResponse PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list);
/// Creates a camera object for a listed device; *camera is valid until PR_DestroyCameraObject.
prResponse PR_CreateCameraObject(const prDeviceInfoTable* device, prHCamera* camera);
prResponse PR_DestroyCameraObject(prHCamera camera);
prResponse PR_SetEventCallBack(prHCamera camera, prContext context, prSetEventCB callback);
prResponse PR_ClearEventCallBack(prHCamera camera);
prResponse PR_ConnectCamera(prHCamera camera);
prResponse PR_DisconnectCamera(prHCamera camera);
prResponse PR_InitiateReleaseControl(prHCamera camera);
prResponse PR_TerminateReleaseControl(prHCamera camera);
/// Copies the PTP DeviceInfo dataset; prINSUFFICIENT_BUFFER with *bufferSize when too small.
prResponse PR_GetDeviceInfo(prHCamera camera, prUInt32* bufferSize, prVoid* buffer);

/// Copies a PTP property description; prINSUFFICIENT_BUFFER with *bufferSize when too small.
prResponse PR_GetDevicePropDesc(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer);
/// Reads a property value; on success *bufferSize is its width.
prResponse PR_GetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer);
/// Writes a property value of exactly its width; prINVALID_PROPERTY_VALUE when refused.
prResponse PR_SetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32 size, const prVoid* data);

prResponse PR_RC_Release(prHCamera camera);
/// Transfers a released item in blocks of at most transferSize through the callback.
prResponse PR_RC_GetReleasedData(prHCamera camera, prObjectHandle object, prUInt16 eventCode,
                                 prUInt32 transferSize, prContext context, prGetFileDataCB callback);
prResponse PR_RC_StartViewFinder(prHCamera camera, prContext context, prViewFinderCB callback);
/// Safe to call from inside the frame callback.
prResponse PR_RC_TermViewFinder(prHCamera camera);
prResponse PR_RC_DoAeAfAwb(prHCamera camera, prUInt32 functions);
prResponse PR_RC_FocusLock(prHCamera camera);
prResponse PR_RC_FocusUnlock(prHCamera camera);
