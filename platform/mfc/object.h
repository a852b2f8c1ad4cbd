// CObject and run-time classes: what a document template needs to create a document, frame
// and view by class.
#pragma once

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  CObject* (*m_pfnCreateObject)();
  /// A new object of the class (the caller owns it), or NULL when it cannot be created.
  CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

class CObject {
 public:
  virtual ~CObject() = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
#define DECLARE_DYNCREATE(class_name)           \
 public:                                        \
  static const CRuntimeClass class##class_name; \
  static CObject* CreateObject();
#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                          \
  CObject* class_name::CreateObject() { return new class_name; }                                 \
  const CRuntimeClass class_name::class##class_name = {#class_name, &class_name::CreateObject};
#define DECLARE_DYNAMIC(class_name)
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)
