// The main form's layout after a release, at the frame's default size and larger: no combo box
// cuts its longest entry, and the photo and its histogram stay inside their "Photo" box.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

#include "AppTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"

namespace {

class MyQuilletFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/form-layout");
    m_view->m_nStoreImage = 1;
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearMessageBoxes();
    ClearProductKey();
  }

  void Connect() {
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  void Release() {
    size_t before = m_view->m_images.size();
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RELEASE, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil(
        [&] { return m_view->m_images.size() > before && m_view->m_pDisplayBitmap && !m_view->m_bBusy; }));
    Settle();
  }
  void Settle() {
    for (int i = 0; i < 20; ++i) {
      QApplication::processEvents();
      PumpWaitingMessages();
    }
  }
  static QRect RectIn(QWidget* widget, QWidget* ancestor) {
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
  }
  static int BitmapWidth(CBitmap* bitmap, int* height = nullptr) {
    BITMAP info{};
    if (!bitmap || !bitmap->GetBitmap(&info)) return 0;
    if (height) *height = info.bmHeight;
    return info.bmWidth;
  }

  void ExpectFormFits() {
    QWidget* view = user_p::WidgetOf(m_view->m_hWnd);
    ASSERT_NE(nullptr, view);
    QRect client = view->rect();
    int combos = 0;
    for (QComboBox* combo : view->findChildren<QComboBox*>()) {
      QString longest;
      int widest = 0;
      for (int i = 0; i < combo->count(); ++i) {
        int width = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
        if (width > widest) {
          widest = width;
          longest = combo->itemText(i);
        }
      }
      SCOPED_TRACE(longest.toStdString());
      QStyleOptionComboBox option;
      option.initFrom(combo);
      option.rect = combo->rect();
      option.editable = combo->isEditable();
      option.frame = combo->hasFrame();
      QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
      EXPECT_GE(field.width(), widest);
      EXPECT_TRUE(client.contains(RectIn(combo, view))) << combo->x() << " " << combo->width();
      ++combos;
    }
    EXPECT_GE(combos, 14);

    QGroupBox* photoBox = nullptr;
    for (QGroupBox* box : view->findChildren<QGroupBox*>())
      if (box->title() == "Photo") photoBox = box;
    ASSERT_NE(nullptr, photoBox);
    QRect group = RectIn(photoBox, view);
    EXPECT_TRUE(client.contains(group));
    QWidget* picture = user_p::WidgetOf(m_view->m_picture.m_hWnd);
    QWidget* histogram = user_p::WidgetOf(m_view->GetDlgItem(IDC_HISTOGRAM)->m_hWnd);
    ASSERT_TRUE(picture && histogram);
    EXPECT_TRUE(group.contains(RectIn(picture, view))) << "picture " << RectIn(picture, view).right();
    EXPECT_TRUE(group.contains(RectIn(histogram, view))) << "histogram " << RectIn(histogram, view).right();
    // What is drawn in them fits them too.
    int height = 0;
    EXPECT_LE(BitmapWidth(m_view->m_pDisplayBitmap, &height), picture->width());
    EXPECT_LE(height, picture->height());
    EXPECT_GT(height, 0);
    EXPECT_LE(BitmapWidth(m_view->m_pHistogramBitmap.get()), histogram->width());
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

TEST_F(MyQuilletFormTest, AfterAReleaseCombosShowTheirLongestEntryAndThePhotoStaysInItsBox) {
  Connect();
  Release();
  CRect frame;
  m_harness->m_frame->GetWindowRect(&frame);
  EXPECT_EQ(1024, frame.Width());
  {
    SCOPED_TRACE("default frame");
    ExpectFormFits();
  }

  m_harness->m_frame->MoveWindow(0, 0, 1600, 1000);
  Settle();
  Release();
  {
    SCOPED_TRACE("larger frame");
    ExpectFormFits();
  }

  // Back to the default size: the photo drawn for the larger picture is drawn again to fit.
  m_harness->m_frame->MoveWindow(0, 0, 1024, 768);
  Settle();
  m_view->Invalidate();
  Settle();
  {
    SCOPED_TRACE("default frame again");
    ExpectFormFits();
  }
}

}  // namespace
