#pragma once

class AdbRouting
{
};
