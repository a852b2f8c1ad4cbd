// Property items: tagged values kept with the image (frame delays and loop count of GIFs).
#include <cstring>

#include "platform/gdiplus/gdiplus_p.h"
#include "platform/gdiplus/image.h"

using namespace gdiplus_p;

namespace Gdiplus {

UINT Image::GetPropertyItemSize(PROPID propId) {
  if (!nativeImage) return SetStatus(InvalidParameter), 0;
  auto it = nativeImage->properties.find(propId);
  if (it == nativeImage->properties.end()) return SetStatus(PropertyNotFound), 0;
  return UINT(sizeof(PropertyItem) + it->second.value.size());
}

Status Image::GetPropertyItem(PROPID propId, UINT propSize, PropertyItem* buffer) {
  if (!nativeImage || !buffer) return SetStatus(InvalidParameter);
  auto it = nativeImage->properties.find(propId);
  if (it == nativeImage->properties.end()) return SetStatus(PropertyNotFound);
  const Property& property = it->second;
  if (propSize != sizeof(PropertyItem) + property.value.size()) return SetStatus(InvalidParameter);
  BYTE* value = reinterpret_cast<BYTE*>(buffer) + sizeof(PropertyItem);
  if (!property.value.empty()) std::memcpy(value, property.value.data(), property.value.size());
  buffer->id = propId;
  buffer->length = ULONG(property.value.size());
  buffer->type = property.type;
  buffer->value = property.value.empty() ? nullptr : value;
  return SetStatus(Ok);
}

Status Image::SetPropertyItem(const PropertyItem* item) {
  if (!nativeImage || !item || (item->length > 0 && !item->value) || item->type < PropertyTagTypeByte ||
      item->type > PropertyTagTypeSRational)
    return SetStatus(InvalidParameter);
  return SetStatus(Guard([&] {
    Property property;
    property.type = item->type;
    const BYTE* value = static_cast<const BYTE*>(item->value);
    property.value.assign(value, value + item->length);
    nativeImage->properties[item->id] = std::move(property);
    return Ok;
  }));
}

}  // namespace Gdiplus
