#pragma once

#include <array>
#include <string_view>

// Words the generated case database is made of. They look like what a
// steward types, and each list stays within its field's length so that no
// generated value would be cut by the window's boxes.
namespace CaseVocabulary
{

using sv = std::string_view;

inline constexpr std::array FirstNames{
    sv("James"),     sv("Mary"),        sv("Robert"),
    sv("Patricia"),  sv("John"),        sv("Jennifer"),
    sv("Michael"),   sv("Linda"),       sv("David"),
    sv("Elizabeth"), sv("William"),     sv("Barbara"),
    sv("Richard"),   sv("Susan"),       sv("Joseph"),
    sv("Jessica"),   sv("Thomas"),      sv("Sarah"),
    sv("Charles"),   sv("Karen"),       sv("Daniel"),
    sv("Nancy"),     sv("Matthew"),     sv("Lisa"),
    sv("Anthony"),   sv("Betty"),       sv("Mark"),
    sv("Sandra"),    sv("Donald"),      sv("Ashley"),
    sv("Steven"),    sv("Dorothy"),     sv("Paul"),
    sv("Kimberly"),  sv("Andrew"),      sv("Donna"),
    sv("Kenneth"),   sv("Carol"),       sv("Joshua"),
    sv("Michelle"),  sv("Kevin"),       sv("Emily"),
    sv("Brian"),     sv("Amanda"),      sv("George"),
    sv("Melissa"),   sv("Timothy"),     sv("Deborah"),
    sv("Ronald"),    sv("Rebecca"),     sv("Jason"),
    sv("Laura"),     sv("Jos\xc3\xa9"), sv("Ren\xc3\xa9\x65"),
    sv("Tyrone"),    sv("Wanda"),       sv("Luis"),
    sv("Keisha"),    sv("Dmitri"),      sv("Mei"),
};

inline constexpr std::array LastNames{
    sv("Smith"),         sv("Johnson"),
    sv("Williams"),      sv("Brown"),
    sv("Jones"),         sv("Garcia"),
    sv("Miller"),        sv("Davis"),
    sv("Rodriguez"),     sv("Martinez"),
    sv("Hernandez"),     sv("Lopez"),
    sv("Gonzalez"),      sv("Wilson"),
    sv("Anderson"),      sv("Thomas"),
    sv("Taylor"),        sv("Moore"),
    sv("Jackson"),       sv("Martin"),
    sv("Lee"),           sv("Perez"),
    sv("Thompson"),      sv("White"),
    sv("Harris"),        sv("Sanchez"),
    sv("Clark"),         sv("Ramirez"),
    sv("Lewis"),         sv("Robinson"),
    sv("Walker"),        sv("Young"),
    sv("Allen"),         sv("King"),
    sv("Wright"),        sv("Scott"),
    sv("Torres"),        sv("Nguyen"),
    sv("Hill"),          sv("Flores"),
    sv("Green"),         sv("Adams"),
    sv("O'Brien"),       sv("O'Neill"),
    sv("McAllister"),    sv("Kowalski"),
    sv("Van der Berg"),  sv("Nakamura"),
    sv("Washington"),    sv("Schwarzenegger-Smythe"),
    sv("M\xc3\xbcller"), sv("Okafor"),
    sv("Petrov"),        sv("D'Angelo"),
};

// At most 10 characters each.
inline constexpr std::array Departments{
    sv("Assembly"),  sv("Body Shop"), sv("Paint"),   sv("Stamping"),  sv("Maint"),   sv("Shipping"),
    sv("Receiving"), sv("Tool Room"), sv("Quality"), sv("Warehouse"), sv("Plant 2"), sv("Dept 114"),
};

// At most 10 characters each.
inline constexpr std::array ShiftStarts{
    sv("6:00 AM"), sv("6:30 AM"),  sv("7:00 AM"),  sv("2:00 PM"),  sv("2:30 PM"),
    sv("3:00 PM"), sv("10:00 PM"), sv("10:30 PM"), sv("11:00 PM"), sv("Rotating"),
};

// At most 31 characters each, so that " Grade 2" still fits in 40.
inline constexpr std::array Classifications{
    sv("Assembler"),
    sv("Machine Operator"),
    sv("Electrician"),
    sv("Millwright"),
    sv("Forklift Driver"),
    sv("Material Handler"),
    sv("Quality Inspector"),
    sv("Tool and Die Maker"),
    sv("Janitor"),
    sv("Welder"),
    sv("Pipefitter"),
    sv("Team Leader"),
    sv("Maintenance Mechanic"),
    sv("Painter"),
    sv("Press Operator"),
    sv("Shipping Clerk"),
};

inline constexpr std::array Streets{
    sv("Maple"), sv("Oak"),    sv("Elm"),      sv("Washington"),
    sv("Lake"),  sv("Hill"),   sv("Main"),     sv("Park"),
    sv("Cedar"), sv("Pine"),   sv("Sunset"),   sv("Church"),
    sv("High"),  sv("Mill"),   sv("Railroad"), sv("Martin Luther King Jr."),
    sv("River"), sv("Walnut"),
};

inline constexpr std::array StreetKinds{
    sv("Street"), sv("Avenue"), sv("Road"), sv("Drive"), sv("Lane"), sv("Court"), sv("Boulevard"),
};

inline constexpr std::array Cities{
    sv("Springfield"), sv("Dayton"), sv("Toledo"), sv("Lima"),     sv("Mansfield"),
    sv("Lorain"),      sv("Canton"), sv("Akron"),  sv("Hamilton"), sv("Middletown"),
};

// At most 100 characters each.
inline constexpr std::array DaysOff{
    sv("Saturday and Sunday"),
    sv("Sunday and Monday"),
    sv("Friday and Saturday"),
    sv("Tuesday and Wednesday"),
    sv("Rotating; see the posted schedule"),
    sv("Sat, Sun"),
    sv("Sun, Mon, every other Fri"),
    sv("Wednesday and Thursday"),
};

// At most 100 characters each.
inline constexpr std::array Remedies{
    sv("Make the grievant whole for all lost wages and benefits"),
    sv("Cease and desist"),
    sv("Pay the grievant 8 hours at the overtime rate"),
    sv("Remove the discipline from the grievant's file and make whole"),
    sv("Reinstate the grievant with full seniority and back pay"),
    sv("Post the job per Article 14 and award it to the senior bidder"),
    sv("Equalize overtime hours within the classification"),
    sv("Provide the safety equipment required by the contract"),
    sv("Rescind the suspension"),
    sv("Any and all other remedies deemed appropriate"),
};

// Words and phrases the case facts are written with.
inline constexpr std::array FactWords{
    sv("the grievant"),
    sv("the supervisor"),
    sv("was"),
    sv("told"),
    sv("to"),
    sv("report"),
    sv("on"),
    sv("the"),
    sv("second"),
    sv("shift"),
    sv("overtime"),
    sv("was"),
    sv("offered"),
    sv("to"),
    sv("a junior employee"),
    sv("without"),
    sv("asking"),
    sv("line 4"),
    sv("after"),
    sv("the"),
    sv("posted"),
    sv("schedule"),
    sv("changed"),
    sv("and"),
    sv("no notice"),
    sv("was given"),
    sv("in violation of"),
    sv("Article 12"),
    sv("Section 3"),
    sv("management"),
    sv("refused"),
    sv("the steward's"),
    sv("request"),
    sv("for"),
    sv("records"),
    sv("witnesses"),
    sv("include"),
    sv("two"),
    sv("co-workers"),
    sv("who"),
    sv("saw"),
    sv("the incident"),
    sv("near"),
    sv("dock 7"),
    sv("at 3:15 PM"),
    sv("\"it's"),
    sv("not my problem\""),
    sv("said"),
    sv("the foreman"),
    sv("lost"),
    sv("8 hours"),
    sv("of pay"),
    sv("weekend"),
    sv("premium"),
    sv("denied"),
};

} // namespace CaseVocabulary
