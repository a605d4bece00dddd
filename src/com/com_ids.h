// The fixed identities of the COM server: its AppID and the identity of
// its type library. This is the one place they are written; the code, the
// type library source and the tests all take them from here.
//
// Kept to plain macros so that widl's preprocessor can read this file too
// (the .idl includes it), hence include guards rather than #pragma once.
#ifndef STZ_COM_IDS_H
#define STZ_COM_IDS_H

// Bare form, as the type library source's uuid() attribute wants it.
#define STZ_APPID_BARE 30CC3511-78B7-46B8-8562-C9B1134E78E0
#define STZ_LIBID_BARE 36208185-D92F-458E-B8CC-CA475670F083

#ifndef __WIDL__
#define STZ_IDS_TEXT_(x) #x
#define STZ_IDS_TEXT(x) STZ_IDS_TEXT_(x)
// Braced text, as the registry and CLSIDFromString write them.
#define STZ_APPID_TEXT "{" STZ_IDS_TEXT(STZ_APPID_BARE) "}"
#define STZ_LIBID_TEXT "{" STZ_IDS_TEXT(STZ_LIBID_BARE) "}"
#endif

#endif  // STZ_COM_IDS_H
