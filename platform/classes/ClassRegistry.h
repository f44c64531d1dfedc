// Classes registered by name, for the form reader and for lookups of a class
// from its streamed name.
//
// RegisterClass registers the class and its unregistered ancestors (below
// TObject). Classes fall into groups: the group of a class is the one whose
// group class is its nearest ancestor (StartClassGroup starts a group,
// GroupDescendentsWith files a class's descendants under another group);
// FindClass and GetClass search the active groups, which are all of them
// until ActivateClassGroup narrows them to one.
#pragma once

#include <initializer_list>

#include "platform/classes/ObjectModel.h"
#include "platform/rtl/Types.h"

// Registering the same class again does nothing; another class of the same
// name raises EFilerError "A class named %s already exists".
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> AClasses);
// Registers AClass under a second name as well.
void RegisterClassAlias(TClass AClass, const String& Alias);
void UnRegisterClass(TClass AClass);
void UnRegisterClasses(std::initializer_list<TClass> AClasses);

// Lookup by name, without regard to ASCII case. FindClass raises
// EClassNotFound "Class %s not found"; GetClass answers nil.
TClass FindClass(const String& ClassName);
TClass GetClass(const String& ClassName);

void StartClassGroup(TClass AClass);
void GroupDescendentsWith(TClass AClass, TClass AClassGroup);
// Makes the group of AClass the only active one besides the base group and
// returns the class of the group active before (nil: all groups were active).
// An unknown group raises EFilerError "Class group %s not found".
TClass ActivateClassGroup(TClass AClass);
// The group class of the group AClass would be registered into.
TClass ClassGroupOf(TClass AClass);
