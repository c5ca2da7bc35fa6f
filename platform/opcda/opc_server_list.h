// The OPC server enumeration service (CLSID_OpcServerList, "OPC.ServerList.1"), served
// from the class registry.
//
// The service answers on this computer and on every node the registry knows; on a node it
// lists and describes the classes the registry has there. EnumClassesOfCategories returns the
// classes implementing at least one of the implemented categories ((ULONG)-1 for every
// class); classes in this registry require no categories, so the required list never
// excludes one.
#pragma once

namespace tavrel {

// The setting that marks a registry class as an OPC server, its value the DA version ("2.0",
// "1.0"): the counterpart of the "OPC" key an OPC server has below its ProgID in the Windows
// registry, by which a walk of the registry tells OPC servers from other classes.
inline constexpr const char* kOpcServerSetting = "opc";

// Registers the service as a built-in class (Linux; on Windows the service is the OPC core
// components' own, and this does nothing). Call once at start-up, before the first
// activation; calling it again changes nothing.
void RegisterOpcCoreClasses();

}  // namespace tavrel
