#pragma once
