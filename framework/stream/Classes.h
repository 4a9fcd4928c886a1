// The registry of classes that form files may name, by class name.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

namespace fw {

class TClassInfo;

/// Makes a class known to the form-file reader (registering twice is harmless).
void RegisterClass(const TClassInfo& cls);
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
/// The registered class of that name (case-insensitive), or null.
const TClassInfo* FindClass(std::string_view name);
std::vector<const TClassInfo*> RegisteredClasses();
/// Registers the framework's core classes that form files may hold.
void RegisterCoreClasses();

}  // namespace fw
