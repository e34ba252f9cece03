// The example models in examples/, built through the same document and drawing code
// that the program uses, so that they can be written again when the file format moves.
#include "cli/CliCommands.h"
#include "document/model/DataFile.h"

#include "core/support/NumberFormat.h"
#include "document/diagram/DrawingObjects.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace {

// Colours with red in the low byte.
constexpr int32_t Black = 0;
constexpr int32_t Red = 255;
constexpr int32_t Green = 32768;
constexpr int32_t Blue = 16711680;
constexpr int32_t Purple = 8388736;
constexpr int32_t Orange = 33023;
constexpr int32_t Teal = 8421376;

// Lays out one example: elements with their shapes, links, pipes and output controls.
class TExampleBuilder {
public:
    explicit TExampleBuilder(TDataFile& document)
        : Document(document), Model(*document.Simulation), Image(document.Image()) {
        // A fixed date keeps the written files the same from one generation to the next.
        Document.Created = EncodeDate(2024, 6, 3) + EncodeTime(9, 30, 0);
        Document.Modified = Document.Created;
        Document.Author = "Quorvane";
    }

    TVariableObject* Add(uint8_t kind, const std::string& name, const std::string& equation,
                         const std::string& units, int32_t x, int32_t y,
                         const std::string& notes = std::string()) {
        TVariableObject* element = Model.NewElement(kind);
        element->Name = name;
        element->Equation = equation;
        element->Units = units;
        element->Notes = notes;
        double constant = 0;
        if (TryStrToFloat(equation, constant)) element->InitialValue = constant;
        element->Value = element->InitialValue;
        TVariableInstance* shape =
            kind == ekFlow ? Image.AddFlow(x, y, element) : Image.AddElement(x, y, false, element);
        Shapes[element] = shape;
        return element;
    }

    // An information link: to's equation may use from. bend moves both control points,
    // so that the curve keeps clear of pipes and shapes on the straight line.
    // fromClone: start at the element's clone instead of its main shape.
    void Link(TVariableObject* from, TVariableObject* to, TDrawPoint bend = {0, 0},
              bool fromClone = false) {
        TVariableInstance* a = fromClone ? Clones.at(from) : Shapes.at(from);
        TVariableInstance* b = Shapes.at(to);
        const double dx = b->Position.X - a->Position.X, dy = b->Position.Y - a->Position.Y;
        const double length = std::max(1.0, std::sqrt(dx * dx + dy * dy));
        auto along = [&](TDrawPoint p, double distance) {
            return TDrawPoint{p.X + static_cast<int32_t>(dx * distance / length),
                              p.Y + static_cast<int32_t>(dy * distance / length)};
        };
        TDrawPoint start = along(a->Position, 30);
        TDrawPoint end = along(b->Position, -(to->Kind == ekFlow ? 42 : 34));
        TLinkInstance* link = Image.AddLink(start.X, start.Y, a, b, end.X, end.Y);
        if (!link)
            throw std::logic_error("The example link " + from->Name + " -> " + to->Name +
                                   " was refused");
        link->StartControl = link->StartControl + bend;
        link->EndControl = link->EndControl + bend;
    }

    // A further shape of an element; links drawn from the element start there.
    void Clone(TVariableObject* element, int32_t x, int32_t y) {
        Clones[element] = Image.AddElement(x, y, true, element);
    }

    // Attaches the flow's inflow pipe to a resource, which the flow then drains.
    void DrainFrom(TVariableObject* resource, TVariableObject* flow) {
        auto* valve = static_cast<TFlowInstance*>(Shapes.at(flow));
        TVariableInstance* shape = Shapes.at(resource);
        TLinkInstance* pipe = valve->Inflow();
        pipe->FromElement.SetTarget(shape);
        const int32_t side = shape->Position.X < valve->Position.X ? 28 : -28;
        pipe->StartOffset = {side, 0};
        PipeControls(pipe);
        resource->AddDependency(flow, true, 1);
    }

    // Attaches the flow's outflow pipe to a resource, which the flow then fills.
    void FillInto(TVariableObject* flow, TVariableObject* resource) {
        auto* valve = static_cast<TFlowInstance*>(Shapes.at(flow));
        TVariableInstance* shape = Shapes.at(resource);
        TLinkInstance* pipe = valve->Outflow();
        pipe->ToElement.SetTarget(shape);
        const int32_t side = shape->Position.X < valve->Position.X ? 28 : -28;
        pipe->EndOffset = {side, 0};
        PipeControls(pipe);
        resource->AddDependency(flow, true, 0);
    }

    struct TEntry {
        TVariableObject* Element;
        uint8_t Kind;
        int32_t Colour;
        int32_t Run = -1;
    };

    void Graph(int32_t left, int32_t top, int32_t right, int32_t bottom,
               const std::vector<TEntry>& entries) {
        auto* graph = static_cast<TGraphInstance*>(
            Image.AddOutputControl(left, top, occGraph, right, bottom));
        AddEntries(*graph, entries);
    }

    void Table(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t interval,
               const std::vector<TEntry>& entries) {
        auto* table = static_cast<TTableInstance*>(
            Image.AddOutputControl(left, top, occTable, right, bottom));
        table->Interval = interval;
        AddEntries(*table, entries);
        for (size_t i = 0; i < entries.size(); ++i)
            table->AddColumn();
        table->SetColumnWidth(0, 80);
    }

    void Note(int32_t left, int32_t top, int32_t right, int32_t bottom, const std::string& text) {
        auto* note =
            static_cast<TNoteInstance*>(Image.AddOutputControl(left, top, occNote, right, bottom));
        note->SetText(text);
    }

private:
    void PipeControls(TLinkInstance* pipe) {
        const TDrawPoint start = pipe->StartPoint(), end = pipe->EndPoint();
        const int32_t third = (end.X - start.X) / 3;
        pipe->StartControl = {third, 0};
        pipe->EndControl = {-third, 0};
    }

    void AddEntries(TTableGraphOutputInstance& control, const std::vector<TEntry>& entries) {
        for (const TEntry& entry : entries) {
            auto link = std::make_unique<TVariableDataLink>();
            link->Variable.SetTarget(entry.Element);
            link->SeriesKind = entry.Kind;
            link->Colour = entry.Colour;
            link->Run = entry.Run;
            control.Series.AddItem(std::move(link));
        }
    }

    TDataFile& Document;
    TSimulationObject& Model;
    TDrawImage& Image;
    std::map<TVariableObject*, TVariableInstance*> Shapes;
    std::map<TVariableObject*, TVariableInstance*> Clones;
};

// Word of mouth fills a customer base that churns; service suffers as the base outgrows
// capacity (a GRAPH effect), and the plan's sketched expectation sits beside the run.
std::unique_ptr<TDataFile> CustomerGrowthModel() {
    auto document = std::make_unique<TDataFile>();
    TSimulationObject& model = *document->Simulation;
    model.StopTime = 36;
    model.TimeStep = 0.5;
    model.ViewStop = 36;
    model.Now = 12;
    model.TimeUnit = "Months";
    document->Title = "Customer growth";
    document->Notes = "Word of mouth, churn and revenue of a subscription business.";
    document->ModelNotes =
        "Customers win new customers by word of mouth. The pull weakens as the market is "
        "used up and as the service gets crowded: Service Quality Effect is a GRAPH of the "
        "load on capacity. Crowding also raises churn.\r\nThe sketched series of Customers "
        "holds the business plan, to compare with the simulated path.";

    TExampleBuilder b(*document);
    auto* potential = b.Add(ekResource, "Potential Customers", "100000", "people", 120, 200,
                            "People in the market who are not customers yet.");
    auto* customers = b.Add(ekResource, "Customers", "500", "people", 440, 200);
    auto* adoption = b.Add(ekFlow, "New Customers",
                           "Customers * Contact_Rate * Adoption_Fraction * Potential_Customers "
                           "/ (Potential_Customers + Customers)",
                           "people/month", 280, 200);
    auto* churn = b.Add(ekFlow, "Churn", "Customers * Churn_Rate", "people/month", 600, 200);
    auto* contactRate =
        b.Add(ekConstant, "Contact Rate", "10", "contacts/customer/month", 160, 380);
    auto* adoptionFraction =
        b.Add(ekVariable, "Adoption Fraction", "0.015 * Service_Quality_Effect", "", 340, 400);
    auto* capacity = b.Add(ekConstant, "Capacity", "20000", "people", 700, 540);
    auto* service =
        b.Add(ekVariable, "Service Quality Effect",
              "GRAPH(Customers / Capacity, 0, 0.25, 1.2, 1.15, 1.1, 1, 0.85, 0.65, 0.5, 0.4, 0.35)",
              "", 520, 540, "Word of mouth and loyalty fall as the load on capacity rises.");
    auto* churnRate = b.Add(ekVariable, "Churn Rate",
                            "0.02 + 0.05 * (1.2 - Service_Quality_Effect)", "1/month", 700, 400);
    auto* price = b.Add(ekConstant, "Price", "30", "$/month", 960, 60);
    auto* revenue = b.Add(ekVariable, "Revenue", "Customers * Price", "$/month", 800, 60);

    b.DrainFrom(potential, adoption);
    b.FillInto(adoption, customers);
    b.DrainFrom(customers, churn);
    b.Link(customers, adoption, {0, -70});
    b.Link(potential, adoption, {0, 70});
    b.Link(contactRate, adoption);
    b.Link(adoptionFraction, adoption);
    b.Link(service, adoptionFraction);
    b.Link(customers, service);
    b.Link(capacity, service);
    b.Link(service, churnRate);
    b.Link(churnRate, churn);
    b.Link(customers, churn, {0, -70});
    b.Link(customers, revenue);
    b.Link(price, revenue);

    // The business plan: what the sales team expects.
    const double plan[] = {500, 2000, 5500, 11000, 17000, 21000, 23000};
    customers->Sketched.Origin = 0;
    customers->Sketched.Interval = 6;
    for (int i = 0; i < 7; ++i)
        customers->Sketched.AddPoint(6.0 * i, plan[i]);
    customers->UpperY = 30000;
    potential->UpperY = 100000;
    revenue->UpperY = 900000;
    adoption->UpperY = 2500;
    churn->UpperY = 1500;
    adoptionFraction->UpperY = 0.02;
    churnRate->UpperY = 0.06;
    service->UpperY = 1.5;

    b.Graph(40, 640, 520, 940,
            {{customers, skSimulated, Blue, 0},
             {customers, skSketched, Red},
             {potential, skSimulated, Green}});
    b.Table(560, 640, 960, 940, 6,
            {{customers, skSimulated, Black},
             {adoption, skSimulated, Black},
             {churn, skSimulated, Black},
             {revenue, skSimulated, Black}});
    b.Note(40, 20, 520, 90,
           "Customer growth: word of mouth fills Customers from Potential Customers; churn "
           "drains it. Run it and compare Customers with the sketched plan in the graph.");
    return document;
}

// A project that costs money up front and earns a growing cash flow, valued with NPV,
// FV and PV, with the cumulative cash showing the payback time.
std::unique_ptr<TDataFile> InvestmentModel() {
    auto document = std::make_unique<TDataFile>();
    TSimulationObject& model = *document->Simulation;
    model.StopTime = 10;
    model.TimeStep = 1;
    model.ViewStop = 10;
    model.Now = 0;
    model.TimeUnit = "Years";
    document->Title = "Investment appraisal";
    document->Notes = "Net present value, future value and present value of a project.";
    document->ModelNotes =
        "An investment of 100,000 at time 0 earns a cash flow from year 1 that grows by 1,000 "
        "a year. NPV discounts the flows at the discount rate, FV compounds them to the end "
        "of the run and PV values them at time 0.\r\nCumulative Cash shows when the project "
        "pays back.";

    TExampleBuilder b(*document);
    auto* income = b.Add(ekFlow, "Income", "Cash_Flow", "$/year", 300, 160);
    auto* cash = b.Add(ekResource, "Cumulative Cash", "-Initial_Investment", "$", 520, 160);
    auto* cashFlow = b.Add(ekVariable, "Cash Flow", "IF(TIME >= 1, 18000 + 1000 * (TIME - 1), 0)",
                           "$/year", 220, 330);
    auto* investment = b.Add(ekConstant, "Initial Investment", "100000", "$", 720, 330);
    auto* pv =
        b.Add(ekVariable, "Present Value", "PV(Cash_Flow, Discount_Rate, 1, 0)", "$", 140, 520);
    auto* fv = b.Add(ekVariable, "Future Value", "FV(Cash_Flow, Discount_Rate)", "$", 300, 520);
    auto* npvFlows =
        b.Add(ekVariable, "Discounted Cash Flows", "NPV(Cash_Flow, Discount_Rate)", "$", 460, 520);
    auto* npv = b.Add(ekVariable, "Net Present Value", "Discounted_Cash_Flows - Initial_Investment",
                      "$", 620, 520);
    auto* rate = b.Add(ekConstant, "Discount Rate", "8", "%/year", 380, 700);

    b.FillInto(income, cash);
    b.Link(cashFlow, income);
    b.Link(investment, cash);
    b.Link(cashFlow, pv);
    b.Link(cashFlow, fv);
    b.Link(cashFlow, npvFlows);
    b.Link(rate, pv);
    b.Link(rate, fv);
    b.Link(rate, npvFlows);
    b.Link(npvFlows, npv);
    b.Link(investment, npv);
    cash->LowerY = -100000;
    cash->UpperY = 150000;
    npv->LowerY = -100000;
    npv->UpperY = 100000;
    cashFlow->UpperY = 30000;
    income->UpperY = 30000;
    for (TVariableObject* value : {pv, fv, npvFlows})
        value->UpperY = 300000;

    b.Graph(780, 120, 1240, 420,
            {{cash, skSimulated, Blue, 0}, {npv, skSimulated, Red}, {pv, skSimulated, Green}});
    b.Table(780, 460, 1240, 700, 1,
            {{cashFlow, skSimulated, Black},
             {npv, skSimulated, Black},
             {fv, skSimulated, Black},
             {pv, skSimulated, Black}});
    b.Note(40, 20, 700, 80,
           "Investment appraisal: the project pays back when Cumulative Cash turns positive; "
           "it is worth doing when Net Present Value ends above zero.");
    return document;
}

// A retailer orders from a supplier with a four-week lead time (DELAY); a step in
// demand in week 10 sets inventory and orders oscillating.
std::unique_ptr<TDataFile> SupplyChainModel() {
    auto document = std::make_unique<TDataFile>();
    TSimulationObject& model = *document->Simulation;
    model.StopTime = 52;
    model.TimeStep = 1;
    model.ViewStop = 52;
    model.Now = 10;
    model.TimeUnit = "Weeks";
    document->Title = "Supply chain";
    document->Notes = "Inventory and ordering with a delivery delay.";
    document->ModelNotes =
        "Orders replace expected demand and correct the gaps in inventory and in the supply "
        "line. Deliveries arrive Lead Time weeks after the orders (a DELAY). When demand steps "
        "up by 20 % in week 10 inventory falls, orders overshoot and the chain oscillates "
        "before it settles.";

    TExampleBuilder b(*document);
    auto* orders = b.Add(ekFlow, "Orders",
                         "MAX(0, Expected_Demand + (Target_Inventory - Inventory) / "
                         "Adjustment_Time + (Target_Supply_Line - Supply_Line) / "
                         "Adjustment_Time)",
                         "units/week", 180, 240);
    auto* supplyLine = b.Add(ekResource, "Supply Line", "400", "units", 360, 240,
                             "Ordered and not yet delivered.");
    auto* deliveries =
        b.Add(ekFlow, "Deliveries", "DELAY(Orders, Lead_Time, 100)", "units/week", 540, 240);
    auto* inventory = b.Add(ekResource, "Inventory", "400", "units", 720, 240);
    auto* shipments =
        b.Add(ekFlow, "Shipments", "MIN(Customer_Demand, Inventory)", "units/week", 900, 240);
    auto* demand = b.Add(ekVariable, "Customer Demand", "100 + IF(TIME >= 10, 20, 0)", "units/week",
                         1060, 420);
    auto* expected =
        b.Add(ekVariable, "Expected Demand", "DELAY(Customer_Demand, 2)", "units/week", 900, 600);
    auto* targetInventory = b.Add(ekVariable, "Target Inventory",
                                  "Expected_Demand * Inventory_Coverage", "units", 720, 480);
    auto* coverage = b.Add(ekConstant, "Inventory Coverage", "4", "weeks", 580, 640);
    auto* leadTime = b.Add(ekConstant, "Lead Time", "4", "weeks", 620, 370);
    auto* targetSupply =
        b.Add(ekVariable, "Target Supply Line", "Expected_Demand * Lead_Time", "units", 360, 480);
    auto* adjustment = b.Add(ekConstant, "Adjustment Time", "4", "weeks", 80, 440);
    b.Clone(expected, 260, 640);

    b.FillInto(orders, supplyLine);
    b.DrainFrom(supplyLine, deliveries);
    b.FillInto(deliveries, inventory);
    b.DrainFrom(inventory, shipments);
    b.Link(orders, deliveries, {0, -90});
    b.Link(leadTime, deliveries);
    b.Link(demand, shipments);
    b.Link(inventory, shipments, {0, -70});
    b.Link(demand, expected);
    b.Link(expected, targetInventory);
    b.Link(coverage, targetInventory);
    b.Link(expected, targetSupply);
    b.Link(leadTime, targetSupply);
    b.Link(targetInventory, orders);
    b.Link(inventory, orders, {0, -150});
    b.Link(adjustment, orders);
    b.Link(targetSupply, orders);
    b.Link(supplyLine, orders, {0, 60});
    // From the clone beside Orders rather than across the diagram.
    b.Link(expected, orders, {0, 0}, true);
    inventory->UpperY = 600;
    supplyLine->UpperY = 600;
    targetInventory->UpperY = 600;
    targetSupply->UpperY = 600;
    for (TVariableObject* rate : {orders, deliveries, shipments, demand, expected})
        rate->UpperY = 200;

    b.Graph(40, 760, 560, 1060,
            {{inventory, skSimulated, Blue},
             {orders, skSimulated, Red},
             {deliveries, skSimulated, Orange},
             {demand, skSimulated, Teal}});
    b.Table(600, 760, 1040, 1060, 2,
            {{demand, skSimulated, Black},
             {orders, skSimulated, Black},
             {inventory, skSimulated, Black},
             {supplyLine, skSimulated, Purple}});
    b.Note(40, 20, 700, 90,
           "Supply chain: orders arrive as deliveries after the lead time. Watch inventory "
           "and orders swing after demand steps up in week 10.");
    return document;
}

} // namespace

std::vector<std::string> WriteExampleModels(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    struct TExample {
        const char* FileName;
        std::unique_ptr<TDataFile> (*Build)();
    };
    const TExample examples[] = {{"customer_growth.qvf", CustomerGrowthModel},
                                 {"investment.qvf", InvestmentModel},
                                 {"supply_chain.qvf", SupplyChainModel}};
    std::vector<std::string> written;
    for (const TExample& example : examples) {
        std::unique_ptr<TDataFile> document = example.Build();
        const std::string path = (fs::path(folder) / example.FileName).string();
        document->SaveToFile(path, false);
        written.push_back(path);
    }
    return written;
}
