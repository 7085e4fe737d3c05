#!/usr/bin/env python3
"""Writes the library's language string tables, src/resources/lang/*.txt.

Each table is UTF-16 LE with a byte order mark and CR LF lines: the mark on a line of its own,
the section header "[tag]" with the language's name as a comment, then one entry per text,
the identifier and the text in double quotes separated by a tab. The texts are kept here, in
one place, so a translation can be read and reviewed side by side with the English.

Run from anywhere: python3 tools/lang_tables.py
"""
import pathlib

# The identifiers the wizard page and the status box use, in table order.
IDS = (1007, 1008, 1009, 1015, 1051, 1062, 3011, 3012, 3013, 3014)

# resource number, file name, tag as written in the header, comment, texts in IDS order.
TABLES = [
    (110, "chinese_traditional", "00c1", "Chinese Traditional", (
        "< 上一步(&B)", "下一步(&N) >", "取消(&C)", "確定要取消嗎？",
        "正在處理...", "常用設定檔", "選取常用設定檔",
        "為常見用途預先定義的列印設定。", "設定檔", "描述")),
    (111, "french", "000c", "French", (
        "< &Précédent", "&Suivant >", "&Annuler", "Voulez-vous vraiment annuler ?",
        "Traitement en cours...", "Profils communs", "Sélectionner des profils communs",
        "Paramètres d'impression prédéfinis pour les usages courants.", "Profils",
        "Description")),
    (112, "german", "0007", "German", (
        "< &Zurück", "&Weiter >", "&Abbrechen", "Möchten Sie wirklich abbrechen?",
        "Wird verarbeitet...", "Allgemeine Profile", "Allgemeine Profile auswählen",
        "Vordefinierte Druckeinstellungen für gängige Zwecke.", "Profile", "Beschreibung")),
    (113, "italian", "0010", "Italian", (
        "< &Indietro", "&Avanti >", "A&nnulla", "Annullare l'operazione?",
        "Elaborazione in corso...", "Profili comuni", "Seleziona profili comuni",
        "Impostazioni di stampa predefinite per gli usi comuni.", "Profili", "Descrizione")),
    (114, "japanese", "0011", "Japanese", (
        "< 戻る(&B)", "次へ(&N) >", "キャンセル(&C)", "キャンセルしてもよろしいですか?",
        "処理中...", "共通プロファイル", "共通プロファイルの選択",
        "一般的な用途向けに定義済みの印刷設定です。", "プロファイル", "説明")),
    (115, "korean", "0012", "Korean", (
        "< 뒤로(&B)", "다음(&N) >", "취소(&C)", "취소하시겠습니까?",
        "처리 중...", "공통 프로필", "공통 프로필 선택",
        "일반적인 용도에 맞게 미리 정의된 인쇄 설정입니다.", "프로필", "설명")),
    (116, "portuguese", "0016", "Portuguese", (
        "< &Voltar", "&Avançar >", "&Cancelar", "Tem certeza de que deseja cancelar?",
        "Processando...", "Perfis comuns", "Selecionar perfis comuns",
        "Configurações de impressão predefinidas para usos comuns.", "Perfis", "Descrição")),
    (117, "chinese_simplified", "00c0", "Chinese Simplified", (
        "< 上一步(&B)", "下一步(&N) >", "取消(&C)", "确定要取消吗？",
        "正在处理...", "常用配置文件", "选择常用配置文件",
        "为常见用途预先定义的打印设置。", "配置文件", "描述")),
    (118, "spanish", "000a", "Spanish", (
        "< &Atrás", "&Siguiente >", "&Cancelar", "¿Está seguro de que desea cancelar?",
        "Procesando...", "Perfiles comunes", "Seleccionar perfiles comunes",
        "Configuraciones de impresión predefinidas para usos comunes.", "Perfiles",
        "Descripción")),
    (119, "english", "0009", "English Neutral", (
        "< &Back", "&Next >", "&Cancel", "Are you sure you want to cancel?",
        "Processing...", "Common Profiles", "Select Common Profiles",
        "Pre-defined print settings for common uses.", "Profiles", "Description")),
    (120, "russian", "0019", "Russian", (
        "< &Назад", "&Далее >", "&Отмена", "Вы действительно хотите отменить?",
        "Обработка...", "Общие профили", "Выбор общих профилей",
        "Готовые параметры печати для типичных задач.", "Профили", "Описание")),
    (121, "czech", "0005", "Czech", (
        "< &Zpět", "&Další >", "&Storno", "Opravdu chcete akci zrušit?",
        "Zpracování...", "Běžné profily", "Vyberte běžné profily",
        "Předdefinovaná nastavení tisku pro běžné použití.", "Profily", "Popis")),
    (122, "polish", "0015", "Polish", (
        "< &Wstecz", "&Dalej >", "&Anuluj", "Czy na pewno chcesz anulować?",
        "Przetwarzanie...", "Typowe profile", "Wybierz typowe profile",
        "Wstępnie zdefiniowane ustawienia drukowania do typowych zastosowań.", "Profile",
        "Opis")),
    (123, "dutch", "0013", "Dutch", (
        "< V&orige", "&Volgende >", "&Annuleren", "Weet u zeker dat u wilt annuleren?",
        "Bezig met verwerken...", "Algemene profielen", "Algemene profielen selecteren",
        "Vooraf gedefinieerde afdrukinstellingen voor algemeen gebruik.", "Profielen",
        "Beschrijving")),
    (124, "danish", "0006", "Danish", (
        "< &Tilbage", "&Næste >", "&Annuller", "Er du sikker på, at du vil annullere?",
        "Behandler...", "Almindelige profiler", "Vælg almindelige profiler",
        "Foruddefinerede udskriftsindstillinger til almindelig brug.", "Profiler",
        "Beskrivelse")),
    (125, "finnish", "000b", "Finnish", (
        "< &Edellinen", "&Seuraava >", "&Peruuta", "Haluatko varmasti peruuttaa?",
        "Käsitellään...", "Yleiset profiilit", "Valitse yleiset profiilit",
        "Valmiit tulostusasetukset yleisiin käyttötarkoituksiin.", "Profiilit", "Kuvaus")),
    (126, "greek", "0008", "Greek", (
        "< &Πίσω", "&Επόμενο >", "&Άκυρο", "Είστε βέβαιοι ότι θέλετε να ακυρώσετε;",
        "Επεξεργασία...", "Κοινά προφίλ", "Επιλογή κοινών προφίλ",
        "Προκαθορισμένες ρυθμίσεις εκτύπωσης για συνήθεις χρήσεις.", "Προφίλ",
        "Περιγραφή")),
    (127, "hungarian", "000e", "Hungarian", (
        "< &Vissza", "&Tovább >", "&Mégse", "Biztosan megszakítja a műveletet?",
        "Feldolgozás...", "Általános profilok", "Általános profilok kiválasztása",
        "Előre megadott nyomtatási beállítások gyakori feladatokhoz.", "Profilok",
        "Leírás")),
    (128, "lithuanian", "0027", "Lithuanian", (
        "< &Atgal", "&Toliau >", "Atšau&kti", "Ar tikrai norite atšaukti?",
        "Apdorojama...", "Bendrieji profiliai", "Pasirinkite bendruosius profilius",
        "Iš anksto nustatyti spausdinimo parametrai įprastiems poreikiams.", "Profiliai",
        "Aprašas")),
    (129, "norwegian", "0014", "Norwegian", (
        "< &Tilbake", "&Neste >", "&Avbryt", "Er du sikker på at du vil avbryte?",
        "Behandler...", "Vanlige profiler", "Velg vanlige profiler",
        "Forhåndsdefinerte utskriftsinnstillinger for vanlig bruk.", "Profiler",
        "Beskrivelse")),
    (130, "portuguese_portugal", "0816", "Portuguese (Portugal)", (
        "< &Anterior", "&Seguinte >", "&Cancelar", "Tem a certeza de que pretende cancelar?",
        "A processar...", "Perfis comuns", "Selecionar perfis comuns",
        "Definições de impressão predefinidas para utilizações comuns.", "Perfis",
        "Descrição")),
    (131, "swedish", "001d", "Swedish", (
        "< &Bakåt", "&Nästa >", "&Avbryt", "Vill du verkligen avbryta?",
        "Bearbetar...", "Vanliga profiler", "Välj vanliga profiler",
        "Fördefinierade utskriftsinställningar för vanliga ändamål.", "Profiler",
        "Beskrivning")),
    (132, "turkish", "001f", "Turkish", (
        "< &Geri", "İ&leri >", "İ&ptal", "İptal etmek istediğinizden emin misiniz?",
        "İşleniyor...", "Ortak Profiller", "Ortak Profilleri Seçin",
        "Genel kullanım için önceden tanımlanmış yazdırma ayarları.", "Profiller",
        "Açıklama")),
]


def table_text(tag, comment, texts):
    lines = ["\ufeff", f"[{tag}] //{comment}"]
    for ident, text in zip(IDS, texts, strict=True):
        # A double quote would end the text early; the reader has no escape for it.
        assert '"' not in text, text
        lines.append(f"{ident}\t\"{text}\"")
    return "".join(line + "\r\n" for line in lines)


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    out = root / "src" / "resources" / "lang"
    out.mkdir(parents=True, exist_ok=True)
    assert len(TABLES) == 23 and [t[0] for t in TABLES] == list(range(110, 133))
    for number, name, tag, comment, texts in TABLES:
        (out / f"{name}.txt").write_bytes(table_text(tag, comment, texts).encode("utf-16-le"))
    # The resource script's lines, for pasting when a table is added.
    for number, name, *_ in TABLES:
        print(f'{number} 23 "lang/{name}.txt"')


if __name__ == "__main__":
    main()
