#include "dialup_hooks.h"

#include "dialup_connection.h"

namespace torvex {

std::unique_ptr<DialUpHooks> makeDialUpHooks(MainForm& form)
{
    return std::make_unique<DialUpConnection>(form);
}

}  // namespace torvex
