#pragma once

#include <QStringList>

// The province and locality lists offered by the agent and client dialogs: upper case,
// alphabetical ("Ñ" sorts as "N"), without accents. Any other text may still be typed.
namespace picklists {

const QStringList& provinces();   // 24 entries
const QStringList& localities();  // 327 entries

}  // namespace picklists
