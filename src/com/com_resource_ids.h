// Resource numbers of the COM server, shared by its .rc files and code.
#ifndef STZ_COM_RESOURCE_IDS_H
#define STZ_COM_RESOURCE_IDS_H

// The AppID registration script, of resource type "REGISTRY".
#define IDR_STZ_APPID_SCRIPT 101
// The type library, of resource type "TYPELIB"; the number the system's
// type-library loader looks for when given the DLL's path alone.
#define IDR_STZ_TYPELIB 1

#endif  // STZ_COM_RESOURCE_IDS_H
