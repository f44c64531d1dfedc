#include "platform/classes/ClassRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace {

struct TRegEntry {
  String Name;
  TClass Class;
};

struct TRegGroup {
  TClass GroupClass;                 // nil: the base group of every class
  std::vector<TClass> Descendents;   // classes whose descendants belong here
  std::vector<TRegEntry> Classes;
  bool Active = true;
};

struct TRegistry {
  std::recursive_mutex Lock;
  std::vector<TRegGroup> Groups{TRegGroup{nullptr, {}, {}, true}};
  TClass ActiveClass = nullptr;

  // The group AClass belongs to: the one whose group class (or a class filed
  // under it) is the nearest ancestor of AClass.
  TRegGroup& BestGroup(TClass AClass) {
    TRegGroup* best = &Groups.front();
    int bestDepth = -1;
    for (TRegGroup& g : Groups) {
      auto consider = [&](TClass root) {
        if (!root || !AClass->InheritsFrom(root)) return;
        int depth = 0;
        for (TClass c = root; c; c = c->Parent) ++depth;
        if (depth > bestDepth) {
          bestDepth = depth;
          best = &g;
        }
      };
      consider(g.GroupClass);
      for (TClass d : g.Descendents) consider(d);
    }
    return *best;
  }

  const TRegEntry* Find(const String& Name, bool ActiveOnly) {
    for (TRegGroup& g : Groups) {
      if (ActiveOnly && !g.Active) continue;
      for (const TRegEntry& e : g.Classes)
        if (SameText(e.Name, Name)) return &e;
    }
    return nullptr;
  }

  void Add(TClass AClass, const String& Name) {
    if (const TRegEntry* e = Find(Name, false)) {
      if (e->Class == AClass) return;
      throw EFilerError(u"A class named " + Name + u" already exists");
    }
    BestGroup(AClass).Classes.push_back({Name, AClass});
  }
};

TRegistry& Registry() {
  static TRegistry* r = new TRegistry;  // never destroyed: used until the process ends
  return *r;
}

}  // namespace

void RegisterClass(TClass AClass) {
  if (!AClass) return;
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  // The class and its ancestors below TObject, up to one already registered.
  for (TClass c = AClass; c && c->Parent; c = c->Parent) {
    const TRegEntry* e = r.Find(c->ClassName(), false);
    if (e && e->Class == c) break;
    r.Add(c, c->ClassName());
  }
}

void RegisterClasses(std::initializer_list<TClass> AClasses) {
  for (TClass c : AClasses) RegisterClass(c);
}

void RegisterClassAlias(TClass AClass, const String& Alias) {
  if (!AClass) return;
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  RegisterClass(AClass);
  r.Add(AClass, Alias);
}

void UnRegisterClass(TClass AClass) {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  for (TRegGroup& grp : r.Groups)
    std::erase_if(grp.Classes, [&](const TRegEntry& e) { return e.Class == AClass; });
}

void UnRegisterClasses(std::initializer_list<TClass> AClasses) {
  for (TClass c : AClasses) UnRegisterClass(c);
}

TClass GetClass(const String& ClassName) {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  const TRegEntry* e = r.Find(ClassName, true);
  return e ? e->Class : nullptr;
}

TClass FindClass(const String& ClassName) {
  TClass c = GetClass(ClassName);
  if (!c) throw EClassNotFound(u"Class " + ClassName + u" not found");
  return c;
}

void StartClassGroup(TClass AClass) {
  if (!AClass) return;
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  for (const TRegGroup& grp : r.Groups)
    if (grp.GroupClass == AClass) return;
  r.Groups.push_back(TRegGroup{AClass, {}, {}, r.ActiveClass == nullptr});
}

void GroupDescendentsWith(TClass AClass, TClass AClassGroup) {
  if (!AClass || !AClassGroup) return;
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  r.BestGroup(AClassGroup).Descendents.push_back(AClass);
}

TClass ClassGroupOf(TClass AClass) {
  if (!AClass) return nullptr;
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  return r.BestGroup(AClass).GroupClass;
}

TClass ActivateClassGroup(TClass AClass) {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> g(r.Lock);
  TClass previous = r.ActiveClass;
  TRegGroup* target = nullptr;
  for (TRegGroup& grp : r.Groups)
    if (grp.GroupClass && grp.GroupClass == AClass) target = &grp;
  if (!target) throw EFilerError(u"Class group " + (AClass ? AClass->ClassName() : String(u"nil")) + u" not found");
  for (TRegGroup& grp : r.Groups) grp.Active = !grp.GroupClass || &grp == target;
  r.ActiveClass = AClass;
  return previous;
}
