#pragma once

class FirmwareCache
{
};
