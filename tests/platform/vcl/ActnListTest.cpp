// Actions: linking to menu items, the Execute/Update chain, checked groups,
// action lists and form streaming of actions.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Menus.h"
#include "tests/platform/vcl/VclTestSupport.h"

using vcltest::Owned;

namespace {

// Records the handlers that ran.
struct TRecorder : TObject {
  std::vector<std::string> Log;
  TComponent* ComponentDuringExecute{};
  Boolean ListHandles = false, DisableOnUpdate = false, CancelHint = false;
  void Execute(TObject* Sender) {
    Log.push_back("execute");
    ComponentDuringExecute = static_cast<TBasicAction*>(Sender)->ActionComponent();
  }
  void Update(TObject* Sender) {
    Log.push_back("update");
    if (DisableOnUpdate) static_cast<TCustomAction*>(Sender)->SetEnabled(false);
  }
  void ListExecute(TBasicAction*, Boolean& Handled) {
    Log.push_back("list");
    Handled = ListHandles;
  }
  void Hint(String& HintStr, Boolean& CanShow) {
    HintStr = u"[" + HintStr + u"]";
    CanShow = !CancelHint;
  }
  void Changed(TObject*) { Log.push_back("change"); }
};

class ActnListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    List = New<TActionList>(Root.get());
    Action = New<TAction>(Root.get());
    Action->SetActionList(List);
    Menu = New<TPopupMenu>(Root.get());
    Item = New<TMenuItem>(Root.get());
    Menu->Items()->Add(Item);
  }
  void TearDown() override { SetActionApplicationHooks({}); }

  Owned<TComponent> Root{New<TComponent>(nullptr)};
  TActionList* List{};
  TAction* Action{};
  TPopupMenu* Menu{};
  TMenuItem* Item{};
  TRecorder Rec;
};

TEST_F(ActnListTest, ItemTakesTheActionsStateAndFollowsItsChanges) {
  Action->SetCaption(u"&Kaydet");
  Action->SetHint(u"Kaydeder");
  Action->SetShortCut(TShortCut(scCtrl | 'S'));
  Action->SetImageIndex(4);
  Action->SetChecked(true);
  Action->SetOnExecute(TNotifyEvent(&Rec, &TRecorder::Execute));
  Item->SetAction(Action);
  EXPECT_EQ(Item->Action(), Action);
  EXPECT_EQ(Item->Caption(), u"&Kaydet");
  EXPECT_EQ(Item->Hint(), u"Kaydeder");
  EXPECT_EQ(Item->ShortCut(), TShortCut(scCtrl | 'S'));
  EXPECT_EQ(Item->ImageIndex(), 4);
  EXPECT_TRUE(Item->Checked());
  EXPECT_TRUE(Item->OnClick() == Action->OnExecute());

  // Each change of the action reaches the item while the item still shows the action's value.
  struct TCase {
    const char* Name;
    std::function<void()> Change;
    std::function<bool()> Followed;
  } cases[] = {
      {"caption", [&] { Action->SetCaption(u"&Farklı"); }, [&] { return Item->Caption() == u"&Farklı"; }},
      {"enabled", [&] { Action->SetEnabled(false); }, [&] { return !Item->Enabled(); }},
      {"visible", [&] { Action->SetVisible(false); }, [&] { return !Item->Visible(); }},
      {"checked", [&] { Action->SetChecked(false); }, [&] { return !Item->Checked(); }},
      {"hint", [&] { Action->SetHint(u"Yeni"); }, [&] { return Item->Hint() == u"Yeni"; }},
      {"image", [&] { Action->SetImageIndex(7); }, [&] { return Item->ImageIndex() == 7; }},
      {"shortcut", [&] { Action->SetShortCut(TShortCut(win::VK_F2)); },
       [&] { return Item->ShortCut() == win::VK_F2; }},
  };
  for (const TCase& c : cases) {
    c.Change();
    EXPECT_TRUE(c.Followed()) << c.Name;
  }
  // A caption the item was given itself is its own: the action no longer changes it, and it is stored.
  EXPECT_FALSE(Item->IsCaptionStored());
  Item->SetCaption(u"Kendi");
  Action->SetCaption(u"Başka");
  EXPECT_EQ(Item->Caption(), u"Kendi");
  EXPECT_TRUE(Item->IsCaptionStored());
  // Freeing the action clears the link.
  Free(Action);
  EXPECT_EQ(Item->Action(), nullptr);
  EXPECT_EQ(List->ActionCount(), 0);
}

TEST_F(ActnListTest, ClickExecutesTheActionUnlessDisabled) {
  Action->SetOnExecute(TNotifyEvent(&Rec, &TRecorder::Execute));
  Item->SetAction(Action);
  Item->Click();
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"execute"});
  EXPECT_EQ(Rec.ComponentDuringExecute, Item);
  EXPECT_EQ(Action->ActionComponent(), nullptr);

  Rec.Log.clear();
  Action->SetEnabled(false);
  Item->Click();  // the linked item is disabled
  EXPECT_FALSE(Action->Execute());
  EXPECT_TRUE(Rec.Log.empty());

  // An update handler can disable the action; the item follows on InitiateAction.
  Action->SetEnabled(true);
  Rec.DisableOnUpdate = true;
  Action->SetOnUpdate(TNotifyEvent(&Rec, &TRecorder::Update));
  Item->InitiateAction();
  EXPECT_FALSE(Item->Enabled());
  EXPECT_FALSE(Action->Execute());  // Execute updates first
  EXPECT_EQ(Rec.Log, (std::vector<std::string>{"update", "update"}));
}

// Who runs an action: the list's OnExecute, then the application, then the
// action's own OnExecute, then the message to the application window.
TEST_F(ActnListTest, ExecuteChain) {
  static std::vector<std::string>* log;
  static bool appHandles, messageHandles;
  log = &Rec.Log;
  SetActionApplicationHooks({[](TBasicAction*, Boolean Execute) -> Boolean {
                               log->push_back(Execute ? "app" : "app-update");
                               return appHandles;
                             },
                             [](TBasicAction*, Boolean Execute) -> Boolean {
                               log->push_back(Execute ? "message" : "message-update");
                               return messageHandles;
                             }});
  List->SetOnExecute(TActionEvent(&Rec, &TRecorder::ListExecute));
  struct TCase {
    bool List, App, OwnHandler, Message;
    bool Result;
    std::vector<std::string> Log;
  } cases[] = {
      {true, false, true, false, true, {"list"}},
      {false, true, true, false, true, {"list", "app"}},
      {false, false, true, false, true, {"list", "app", "execute"}},
      {false, false, false, true, true, {"list", "app", "message"}},
      {false, false, false, false, false, {"list", "app", "message"}},
  };
  for (const TCase& c : cases) {
    Rec.Log.clear();
    Rec.ListHandles = c.List;
    appHandles = c.App;
    messageHandles = c.Message;
    Action->SetOnExecute(c.OwnHandler ? TNotifyEvent(&Rec, &TRecorder::Execute) : TNotifyEvent());
    EXPECT_EQ(Action->Execute(), c.Result);
    // Execute first runs the update chain (the list has no OnUpdate, nor the action).
    std::vector<std::string> expected{"app-update"};
    if (!c.App) expected.push_back("message-update");
    expected.insert(expected.end(), c.Log.begin(), c.Log.end());
    EXPECT_EQ(Rec.Log, expected);
  }
  // Without a list the chain starts at the application.
  Action->SetActionList(nullptr);
  Rec.Log.clear();
  appHandles = false;
  Action->SetOnExecute(TNotifyEvent(&Rec, &TRecorder::Execute));
  EXPECT_TRUE(Action->Execute());
  EXPECT_EQ(Rec.Log, (std::vector<std::string>{"app-update", "message-update", "app", "execute"}));
}

TEST_F(ActnListTest, CheckedGroupsAndAutoCheck) {
  TAction* other = New<TAction>(Root.get());
  other->SetActionList(List);
  TAction* loose = New<TAction>(Root.get());  // same group, no list
  for (TAction* a : {Action, other, loose}) a->SetGroupIndex(3);
  Action->SetChecked(true);
  other->SetChecked(true);
  EXPECT_FALSE(Action->Checked());
  EXPECT_TRUE(other->Checked());
  loose->SetChecked(true);  // not in the list: the others keep their state
  EXPECT_TRUE(other->Checked());

  TAction* toggle = New<TAction>(Root.get());
  toggle->SetAutoCheck(true);
  toggle->SetOnExecute(TNotifyEvent(&Rec, &TRecorder::Execute));
  EXPECT_TRUE(toggle->Execute());
  EXPECT_TRUE(toggle->Checked());
  EXPECT_TRUE(toggle->Execute());
  EXPECT_FALSE(toggle->Checked());
  // A checked group member stays checked when executed again.
  other->SetAutoCheck(true);
  other->SetOnExecute(TNotifyEvent(&Rec, &TRecorder::Execute));
  EXPECT_TRUE(other->Execute());
  EXPECT_TRUE(other->Checked());
}

TEST_F(ActnListTest, ListOrderShortCutsHintsAndChanges) {
  TAction* second = New<TAction>(Root.get());
  second->SetActionList(List);
  EXPECT_EQ(List->ActionCount(), 2);
  EXPECT_EQ(second->Index(), 1);
  second->SetIndex(0);
  EXPECT_EQ(List->Actions(0), second);
  EXPECT_EQ(Action->Index(), 1);
  EXPECT_THROW(List->Actions(2), EListError);

  second->SetShortCut(TShortCut(scCtrl | 'N'));
  second->SetOnExecute(TNotifyEvent(&Rec, &TRecorder::Execute));
  EXPECT_TRUE(List->IsShortCut(TShortCut(scCtrl | 'N')));
  EXPECT_FALSE(List->IsShortCut(TShortCut(scCtrl | 'M')));
  EXPECT_FALSE(List->IsShortCut(0));
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"execute"});

  String hint = u"İpucu";
  EXPECT_TRUE(Action->DoHint(hint));  // no handler: shown as it is
  EXPECT_EQ(hint, u"İpucu");
  Action->SetOnHint(THintEvent(&Rec, &TRecorder::Hint));
  EXPECT_TRUE(Action->DoHint(hint));
  EXPECT_EQ(hint, u"[İpucu]");
  Rec.CancelHint = true;
  EXPECT_FALSE(Action->DoHint(hint));

  Rec.Log.clear();
  Action->SetOnChange(TNotifyEvent(&Rec, &TRecorder::Changed));
  Action->SetCaption(u"a");
  Action->SetCaption(u"a");  // no change, no notice
  EXPECT_EQ(Rec.Log, std::vector<std::string>{"change"});

  // Freeing the list frees its actions.
  Free(List);
  EXPECT_EQ(Root->ComponentCount(), 2);  // the menu and its item remain
}

class TActionTestForm : public TComponent {
  CL_CLASS(TActionTestForm, TComponent)
 public:
  void SaveExecute(TObject*) { ++Runs; }
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) Proc(Components(i));
  }
  int Runs = 0;
};
CL_IMPLEMENT_CLASS_PUBLISHED(TActionTestForm, P) { P.Method(u"SaveExecute", &TActionTestForm::SaveExecute); }

const char kActionForm[] =
    "object ActionTestForm: TActionTestForm\r\n"
    "  object ActionList1: TActionList\r\n"
    "    object ActSave: TAction\r\n"
    "      Category = 'Dosya'\r\n"
    "      Caption = '&Kaydet'\r\n"
    "      Enabled = False\r\n"
    "      ShortCut = 16467\r\n"
    "      OnExecute = SaveExecute\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object PopupMenu1: TPopupMenu\r\n"
    "    object ItemSave: TMenuItem\r\n"
    "      Action = ActSave\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(ActnListTest, ActionsAndLinkedItemsStreamThroughTheTextForm) {
  RegisterClass(TActionTestForm::StaticClass());
  std::string bin = ObjectTextToBinary(std::string(kActionForm));
  Owned<TMemoryStream> in(New<TMemoryStream>());
  in->WriteBuffer(bin.data(), Integer(bin.size()));
  in->SetPosition(0);
  Owned<TComponent> form(ReadComponentFromStream(in.get(), nullptr));
  auto* f = dynamic_cast<TActionTestForm*>(form.get());
  ASSERT_NE(f, nullptr);
  auto* list = dynamic_cast<TActionList*>(f->FindComponent(u"ActionList1"));
  auto* act = dynamic_cast<TAction*>(f->FindComponent(u"ActSave"));
  auto* item = dynamic_cast<TMenuItem*>(f->FindComponent(u"ItemSave"));
  ASSERT_TRUE(list && act && item);
  EXPECT_EQ(act->ActionList(), list);
  EXPECT_EQ(act->Owner(), f);
  EXPECT_EQ(act->Category(), u"Dosya");
  EXPECT_EQ(item->Action(), act);
  EXPECT_EQ(item->Caption(), u"&Kaydet");  // taken from the action
  EXPECT_FALSE(item->Enabled());
  EXPECT_EQ(item->ShortCut(), TShortCut(scCtrl | 'S'));
  act->SetEnabled(true);
  item->Click();
  EXPECT_EQ(f->Runs, 1);

  // The item's linked values are not written: only the reference.
  act->SetEnabled(false);
  Owned<TMemoryStream> out(New<TMemoryStream>());
  WriteDescendentToStream(out.get(), f, nullptr);
  EXPECT_EQ(ObjectBinaryToText(std::string(static_cast<const char*>(out->Memory()), size_t(out->Size()))),
            kActionForm);
  UnRegisterClass(TActionTestForm::StaticClass());
}

}  // namespace
