#include "extract/BusyFlag.h"

TBusyFlag::TScope::TScope(TBusyFlag &flag) : m_Flag(flag)
{
    m_Flag.Enter();
}

TBusyFlag::TScope::~TScope()
{
    m_Flag.Leave();
}

void TBusyFlag::Enter()
{
    if (++m_Depth == 1 && m_OnChange)
        m_OnChange(true);
}

void TBusyFlag::Leave()
{
    if (--m_Depth == 0 && m_OnChange)
        m_OnChange(false);
}
