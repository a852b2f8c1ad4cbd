#include "app/MyQuilletDoc.h"

IMPLEMENT_DYNCREATE(CMyQuilletDoc, CDocument)
