// Texts from the language library used as printf formats are checked before use: a
// format that asks for other arguments than the caller gives would read past them.
#pragma once

// TRUE when pszFormat takes exactly the arguments that pszKinds lists, in order:
// 'd' one 32-bit integer (%d %i %u %x %X %o %c), 'u' one unsigned 32-bit integer that a
// signed conversion would show negative above 2^31 (%u %x %X %o only), 's' one text (%s).
// "%%" takes none.
bool IsFormatFor(const char* pszFormat, const char* pszKinds);
