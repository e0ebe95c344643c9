#include "ui/OSSCreditsDialog.h"

namespace tessel
{
OSSCreditsDialog* OSSCreditsDialog::openDialog = nullptr;

namespace
{
// One notice per library or data set, in the order shown.
const char* const notices[] = {
    R"(JUCE 7
Copyright (c) 2015-2022 Raw Material Software Limited.
Used under the terms of the GNU General Public License version 3 (GPLv3); the modules juce_core,
juce_events, juce_audio_basics and juce_audio_devices are also available under the ISC licence.
Tavilo itself is distributed under the GNU General Public License version 3 as a result.
The licence text: https://www.gnu.org/licenses/gpl-3.0.html)",

    R"(picojson
Copyright 2009-2010 Cybozu Labs, Inc.
Copyright 2011-2014 Kazuho Oku
All rights reserved.

Redistribution and use in source and binary forms, with or without modification, are permitted
provided that the following conditions are met:

1. Redistributions of source code must retain the above copyright notice, this list of conditions
   and the following disclaimer.

2. Redistributions in binary form must reproduce the above copyright notice, this list of
   conditions and the following disclaimer in the documentation and/or other materials provided
   with the distribution.

THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS "AS IS" AND ANY EXPRESS OR
IMPLIED WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND
FITNESS FOR A PARTICULAR PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE COPYRIGHT HOLDER OR
CONTRIBUTORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR CONSEQUENTIAL
DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR SERVICES; LOSS OF USE,
DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER
IN CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT OF
THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.)",

    R"(FFTW 3
Copyright (c) 2003, 2007-14 Matteo Frigo
Copyright (c) 2003, 2007-14 Massachusetts Institute of Technology
Used under the terms of the GNU General Public License version 2 or (at your option) any later
version: https://www.gnu.org/licenses/old-licenses/gpl-2.0.html)",

    R"(libcurl
Copyright (c) 1996 - 2022, Daniel Stenberg, <daniel@haxx.se>, and many contributors.
All rights reserved.

Permission to use, copy, modify, and distribute this software for any purpose with or without fee
is hereby granted, provided that the above copyright notice and this permission notice appear in
all copies.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT
NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND
NONINFRINGEMENT OF THIRD PARTY RIGHTS. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE
FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE,
ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.

Except as contained in this notice, the name of a copyright holder shall not be used in
advertising or otherwise to promote the sale, use or other dealings in this Software without prior
written authorization of the copyright holder.)",

    R"(FreeType
Portions of this software are copyright (c) 1996-2022 The FreeType Project (www.freetype.org).
All rights reserved.
Used under the FreeType License (FTL): https://freetype.org/license.html)",

    R"(libpng
Copyright (c) 1995-2022 The PNG Reference Library Authors.
Copyright (c) 2018-2022 Cosmin Truta.
Copyright (c) 1998-2018 Glenn Randers-Pehrson.
Used under the PNG Reference Library License version 2 (libpng licence):
http://www.libpng.org/pub/png/src/libpng-LICENSE.txt)",

    R"(libjpeg-turbo
This software is based in part on the work of the Independent JPEG Group.
Copyright (c) 1991-2020 Thomas G. Lane, Guido Vollbeding.
Copyright (c) 2009-2022 D. R. Commander. All rights reserved.
Used under the Independent JPEG Group's licence and the Modified (3-clause) BSD licence:

Redistribution and use in source and binary forms, with or without modification, are permitted
provided that the following conditions are met:
- Redistributions of source code must retain the above copyright notice, this list of conditions
  and the following disclaimer.
- Redistributions in binary form must reproduce the above copyright notice, this list of
  conditions and the following disclaimer in the documentation and/or other materials provided
  with the distribution.
- Neither the name of the libjpeg-turbo Project nor the names of its contributors may be used to
  endorse or promote products derived from this software without specific prior written
  permission.

THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS "AS IS", AND ANY EXPRESS OR
IMPLIED WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND
FITNESS FOR A PARTICULAR PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE COPYRIGHT HOLDERS OR
CONTRIBUTORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR CONSEQUENTIAL
DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR SERVICES; LOSS OF USE,
DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER
IN CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT OF
THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.)",

    R"(zlib
Copyright (c) 1995-2022 Jean-loup Gailly and Mark Adler.
Used under the zlib licence: https://zlib.net/zlib_license.html)",

    R"(ALSA library (alsa-lib)
Copyright (c) 1998-2022 Jaroslav Kysela and others.
Used under the terms of the GNU Lesser General Public License version 2.1 or (at your option) any
later version: https://www.gnu.org/licenses/old-licenses/lgpl-2.1.html)",

    R"(JACK Audio Connection Kit client library (jack2)
Copyright (c) 2000-2021 Paul Davis, Grame, Stephane Letz and the JACK developers.
Used under the terms of the GNU Lesser General Public License version 2.1 or (at your option) any
later version: https://www.gnu.org/licenses/old-licenses/lgpl-2.1.html)",

    R"(X Window System client libraries (libX11 and its extensions), loaded when the window opens
Copyright (c) 1985-2022 The X.Org Foundation and the X Window System contributors.
Used under the MIT (X11) licence:

Permission is hereby granted, free of charge, to any person obtaining a copy of this software and
associated documentation files (the "Software"), to deal in the Software without restriction,
including without limitation the rights to use, copy, modify, merge, publish, distribute,
sublicense, and/or sell copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions: The above copyright notice and this
permission notice shall be included in all copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT
NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND
NONINFRINGEMENT.)",

    R"(Noto Sans CJK
Copyright 2014-2021 Adobe (http://www.adobe.com/). Noto is a trademark of Google Inc.
Tavilo draws its texts with this font as installed on the system.
Used under the SIL Open Font License, Version 1.1: https://openfontlicense.org)",

    R"(Voice Conversion Challenge 2016 database
The built-in voice models were trained on recordings of the Voice Conversion Challenge 2016
database by T. Toda, L.-H. Chen, D. Saito, F. Villavicencio, M. Wester, Z. Wu and J. Yamagishi,
published under the Open Data Commons Attribution License (ODC-By) v1.0:
https://opendatacommons.org/licenses/by/1-0/)",
};
} // namespace

juce::String OSSCreditsDialog::getAcknowledgementText()
{
    juce::String text = "Tavilo includes the following open-source software and data, each used under its "
                        "own licence as noted below. We thank their authors.";
    for (const char* notice : notices)
        text << "\n\n\n\n" << juce::String::fromUTF8(notice);
    return text;
}

OSSCreditsDialog::CreditsComp::CreditsComp()
{
    setReadOnly(true);
    setMultiLine(true, true);
    setCaretVisible(false);
    setScrollbarsShown(true);
    setColour(juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
    setColour(juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
    setColour(juce::TextEditor::shadowColourId, juce::Colours::transparentBlack);
    setWantsKeyboardFocus(false);
    setSize(700, 400);
}

OSSCreditsDialog::OSSCreditsDialog()
    : juce::AlertWindow(juce::translate("CreditDlg_Title"), juce::String(), juce::MessageBoxIconType::NoIcon)
{
    // The alert window's text colour and message font, so the text reads like the window's own.
    creditsComp.setColour(juce::TextEditor::textColourId, findColour(juce::AlertWindow::textColourId));
    creditsComp.setFont(getLookAndFeel().getAlertWindowMessageFont());
    creditsComp.setText(getAcknowledgementText(), false);

    addCustomComponent(&creditsComp);
    addTextBlock(" ");
    addButton(juce::translate("General_OK"), 1, juce::KeyPress(juce::KeyPress::returnKey));
}

OSSCreditsDialog::~OSSCreditsDialog()
{
    if (openDialog == this)
        openDialog = nullptr;
}

void OSSCreditsDialog::show()
{
    if (openDialog != nullptr)
        return;

    auto dialog = std::make_unique<OSSCreditsDialog>();
    openDialog = dialog.get();
    dialog->runModalLoop();
    dialog.reset();
}
} // namespace tessel
